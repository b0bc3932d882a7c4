// Reading the property directory and property values through IKLVZorvel.
#include "SlideProperties.h"

#include <cstdio>

#include <oleauto.h>

#include "VariantText.h"

namespace zorvel_cli {
namespace {

HRESULT ArrayBounds(const VARIANT& array, VARTYPE elementType, LONG& lower, LONG& upper) {
  if (array.vt != (VT_ARRAY | elementType) || array.parray == nullptr) return E_UNEXPECTED;
  HRESULT hr = SafeArrayGetLBound(array.parray, 1, &lower);
  if (SUCCEEDED(hr)) hr = SafeArrayGetUBound(array.parray, 1, &upper);
  return hr;
}

}  // namespace

HRESULT ReadPropertyTags(IKLVZorvel* slide, std::vector<PropertyTag>& tags) {
  VariantHolder tagArray;
  VariantHolder nameArray;
  HRESULT hr = slide->GetSlidePropertyTags(&tagArray.value, &nameArray.value, nullptr);
  if (FAILED(hr)) return hr;
  LONG lower = 0, upper = -1, nameLower = 0, nameUpper = -1;
  if (FAILED(hr = ArrayBounds(tagArray.value, VT_I4, lower, upper))) return hr;
  if (FAILED(hr = ArrayBounds(nameArray.value, VT_BSTR, nameLower, nameUpper))) return hr;
  if (upper - lower != nameUpper - nameLower) return E_UNEXPECTED;
  for (LONG i = 0; i <= upper - lower; ++i) {
    PropertyTag entry;
    LONG tagIndex = lower + i, nameIndex = nameLower + i;
    BSTR name = nullptr;
    if (FAILED(hr = SafeArrayGetElement(tagArray.value.parray, &tagIndex, &entry.tag))) return hr;
    if (FAILED(hr = SafeArrayGetElement(nameArray.value.parray, &nameIndex, &name))) return hr;
    entry.name = EscapeBstr(name);
    SysFreeString(name);
    tags.push_back(std::move(entry));
  }
  return S_OK;
}

HRESULT ReadProperty(IKLVZorvel* slide, LONG tag, VARIANT& value) { return slide->GetSlideProperties(tag, &value); }

PropertyLine ReadPropertyLine(IKLVZorvel* slide, LONG tag, const std::string& name) {
  VariantHolder value;
  PropertyLine line;
  line.hr = ReadProperty(slide, tag, value.value);
  VariantText text;
  if (FAILED(line.hr)) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(line.hr));
    text = {"ERROR", code};
  } else {
    text = FormatVariant(value.value);
  }
  line.text = std::to_string(tag) + '\t' + name + '\t' + text.type + '\t' + text.value;
  return line;
}

}  // namespace zorvel_cli

namespace zorvel_cli {

std::optional<long long> ReadIntegerProperty(IKLVZorvel* slide, LONG tag) {
  VariantHolder value;
  if (FAILED(ReadProperty(slide, tag, value.value))) return std::nullopt;
  if (value.value.vt == VT_EMPTY || value.value.vt == VT_BSTR || (value.value.vt & VT_ARRAY) != 0) return std::nullopt;
  VARIANT number;
  VariantInit(&number);
  if (FAILED(VariantChangeType(&number, &value.value, 0, VT_I8))) return std::nullopt;
  return number.llVal;
}

}  // namespace zorvel_cli

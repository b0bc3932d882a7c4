// Formatting of property VARIANTs: scalars, BSTRs with escapes, dates and one-dimensional arrays.
#include "VariantText.h"

#include <charconv>
#include <cstdio>
#include <string_view>

#include <oleauto.h>
#include <zplatform/text.h>

namespace zorvel_cli {
namespace {

const char* ScalarTypeName(VARTYPE type) {
  switch (type) {
    case VT_EMPTY: return "EMPTY";
    case VT_I4: return "I4";
    case VT_UI2: return "UI2";
    case VT_UI4: return "UI4";
    case VT_UI8: return "UI8";
    case VT_R8: return "R8";
    case VT_BOOL: return "BOOL";
    case VT_BSTR: return "BSTR";
    case VT_DATE: return "DATE";
    case VT_ERROR: return "ERROR";
    default: return nullptr;
  }
}

std::string HresultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

std::string FormatScalar(const VARIANT& value) {
  switch (value.vt) {
    case VT_I4: return std::to_string(value.lVal);
    case VT_UI2: return std::to_string(value.uiVal);
    case VT_UI4: return std::to_string(value.ulVal);
    case VT_UI8: return std::to_string(value.ullVal);
    case VT_R8: return FormatDouble(value.dblVal);
    case VT_BOOL: return value.boolVal != VARIANT_FALSE ? "true" : "false";
    case VT_BSTR: return EscapeBstr(value.bstrVal);
    case VT_DATE: return FormatDate(value.date);
    case VT_ERROR: return HresultText(value.scode);
    default: return {};
  }
}

// Reads element `index` of a one-dimensional array into a VARIANT of the array's element type.
bool ElementAsVariant(SAFEARRAY* array, VARTYPE elementType, LONG index, VARIANT& element) {
  VariantInit(&element);
  if (elementType == VT_VARIANT) return SUCCEEDED(SafeArrayGetElement(array, &index, &element));
  if (ScalarTypeName(elementType) == nullptr || elementType == VT_EMPTY) return false;
  element.vt = elementType;
  return SUCCEEDED(SafeArrayGetElement(array, &index, &element.lVal));
}

VariantText FormatArray(const VARIANT& value) {
  SAFEARRAY* array = (value.vt & VT_BYREF) != 0 ? (value.pparray != nullptr ? *value.pparray : nullptr) : value.parray;
  const VARTYPE elementType = value.vt & VT_TYPEMASK;
  LONG lower = 0;
  LONG upper = -1;
  if (array == nullptr || SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper))) {
    return {"ARRAY", {}};
  }
  std::string text;
  for (LONG index = lower; index <= upper; ++index) {
    VARIANT element;
    if (index > lower) text += ',';
    if (ElementAsVariant(array, elementType, index, element)) text += FormatScalar(element);
    VariantClear(&element);
  }
  return {"ARRAY", text};
}

}  // namespace

std::string FormatDouble(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string FormatDate(DATE value) {
  SYSTEMTIME time{};
  if (!VariantTimeToSystemTime(value, &time)) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
                time.wMinute, time.wSecond);
  return text;
}

std::string EscapeBstr(BSTR text) {
  std::string out;
  if (text == nullptr) return out;
  for (const char c : zplatform::Utf16ToUtf8(std::u16string_view(text, SysStringLen(text)))) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

VariantText FormatVariant(const VARIANT& value) {
  if ((value.vt & VT_ARRAY) != 0) return FormatArray(value);
  if (const char* name = ScalarTypeName(value.vt)) return {name, FormatScalar(value)};
  return {"VT" + std::to_string(value.vt), {}};
}

}  // namespace zorvel_cli

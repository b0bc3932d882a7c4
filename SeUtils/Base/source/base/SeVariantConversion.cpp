// Text <-> number <-> VARIANT conversions under a given locale (2057 for the NoLocale forms),
// through the platform's per-type parsers and formatters and its general VARIANT conversion.
// Stateless; each failure is logged with the source "SeUtils" and returned.
#include <cmath>

#include "base/SeErrorHandler.h"
#include "base/SeUtils.h"
#include "SeVariantOut.h"

namespace {

constexpr LPCWSTR kSource = u"SeUtils";
constexpr LPCWSTR kChangeType = u"SeChangeVariantType";

struct LineOf {
  VARTYPE type;
  INT parseLine;   // text -> type
  INT formatLine;  // type -> text
};

// The twelve types converted from and to text by the per-type routines, with their report lines.
constexpr LineOf kTextConvertible[] = {
    {VT_I2, 820, 880},   {VT_I4, 824, 884},   {VT_R4, 840, 900},  {VT_R8, 844, 904},
    {VT_CY, 860, 933},   {VT_DATE, 848, 0},   {VT_BOOL, 852, 925}, {VT_DECIMAL, 856, 929},
    {VT_I1, 816, 876},   {VT_UI1, 828, 888},  {VT_UI2, 832, 892}, {VT_UI4, 836, 896},
};

const LineOf* TextConvertible(VARTYPE type) {
  for (const LineOf& entry : kTextConvertible) {
    if (entry.type == type) return &entry;
  }
  return nullptr;
}

HRESULT ParseText(LPCOLESTR text, VARTYPE target, LCID locale, ULONG flags, VARIANT& result) {
  switch (target) {
    case VT_I2: return VarI2FromStr(text, locale, flags, &result.iVal);
    case VT_I4: return VarI4FromStr(text, locale, flags, &result.lVal);
    case VT_R4: return VarR4FromStr(text, locale, flags, &result.fltVal);
    case VT_R8: return VarR8FromStr(text, locale, flags, &result.dblVal);
    case VT_CY: return VarCyFromStr(text, locale, flags, &result.cyVal);
    case VT_DATE: return VarDateFromStr(text, locale, flags, &result.date);
    case VT_BOOL: return VarBoolFromStr(text, locale, flags, &result.boolVal);
    case VT_DECIMAL: return VarDecFromStr(text, locale, flags, &result.decVal);  // overlays vt: set afterwards
    case VT_I1: return VarI1FromStr(text, locale, flags, &result.cVal);
    case VT_UI1: return VarUI1FromStr(text, locale, flags, &result.bVal);
    case VT_UI2: return VarUI2FromStr(text, locale, flags, &result.uiVal);
    default: return VarUI4FromStr(text, locale, flags, &result.ulVal);
  }
}

// The report line of a date formatting: time only in [0, 1), date only for whole days, else both.
ULONG DateFlags(DATE value, INT& line) {
  if (value >= 0.0 && value < 1.0) return line = 910, VAR_TIMEVALUEONLY;
  if (value == std::trunc(value)) return line = 915, VAR_DATEVALUEONLY;
  return line = 920, 0;
}

HRESULT FormatValue(const VARIANT& source, LCID locale, ULONG flags, BSTR& text, INT& line) {
  switch (source.vt) {
    case VT_I2: return VarBstrFromI2(source.iVal, locale, flags, &text);
    case VT_I4: return VarBstrFromI4(source.lVal, locale, flags, &text);
    case VT_R4: return VarBstrFromR4(source.fltVal, locale, flags, &text);
    case VT_R8: return VarBstrFromR8(source.dblVal, locale, flags, &text);
    case VT_CY: return VarBstrFromCy(source.cyVal, locale, flags, &text);
    case VT_DATE: return VarBstrFromDate(source.date, locale, flags | DateFlags(source.date, line), &text);
    case VT_BOOL: return VarBstrFromBool(source.boolVal, locale, flags, &text);
    case VT_DECIMAL: return VarBstrFromDec(&source.decVal, locale, flags, &text);
    case VT_I1: return VarBstrFromI1(source.cVal, locale, flags, &text);
    case VT_UI1: return VarBstrFromUI1(source.bVal, locale, flags, &text);
    case VT_UI2: return VarBstrFromUI2(source.uiVal, locale, flags, &text);
    default: return VarBstrFromUI4(source.ulVal, locale, flags, &text);
  }
}

// Converts into `result` (initialised, empty) without touching the caller's out VARIANT.
HRESULT Convert(const VARIANT& source, VARTYPE target, LCID locale, bool useUserOverrides, VARIANT& result) {
  const ULONG flags = useUserOverrides ? 0 : LOCALE_NOUSEROVERRIDE;
  const LineOf* parse = source.vt == VT_BSTR ? TextConvertible(target) : nullptr;
  if (parse) {
    const HRESULT hr = ParseText(source.bstrVal ? source.bstrVal : u"", target, locale, flags, result);
    if (FAILED(hr)) return SeReportError(kSource, parse->parseLine, hr, kChangeType);
    result.vt = target;
    return S_OK;
  }
  const LineOf* format = target == VT_BSTR ? TextConvertible(source.vt) : nullptr;
  if (format) {
    BSTR text = nullptr;
    INT line = format->formatLine;
    const HRESULT hr = FormatValue(source, locale, flags, text, line);
    if (FAILED(hr)) return SeReportError(kSource, line, hr, kChangeType);
    result.vt = VT_BSTR;
    result.bstrVal = text;
    return S_OK;
  }
  const USHORT variantFlags = useUserOverrides ? 0 : VARIANT_NOUSEROVERRIDE;
  const HRESULT hr = VariantChangeTypeEx(&result, &source, locale, variantFlags, target);
  return FAILED(hr) ? SeReportError(kSource, 946, hr, kChangeType) : S_OK;
}

}  // namespace

HRESULT SeChangeVariantType(const VARIANT& source, VARIANT* out, VARTYPE target, LCID locale,
                            bool useUserOverrides) {
  if (source.vt == target || source.vt == VT_EMPTY || source.vt == VT_NULL) {
    if (out == &source) return S_OK;
    if (const HRESULT hr = SeClearOutVariant(out, 796, 798, kChangeType); FAILED(hr)) return hr;
    const HRESULT hr = VariantCopy(out, &source);
    return FAILED(hr) ? SeReportError(kSource, 798, hr, kChangeType) : S_OK;
  }
  VARIANT result;
  VariantInit(&result);
  if (const HRESULT hr = Convert(source, target, locale, useUserOverrides, result); FAILED(hr)) return hr;
  if (out == nullptr) {
    VariantClear(&result);
    return SeReportError(kSource, 951, E_POINTER, kChangeType);
  }
  if (const HRESULT hr = VariantClear(out); FAILED(hr)) {
    VariantClear(&result);
    return SeReportError(kSource, 949, hr, kChangeType);
  }
  *out = result;
  return S_OK;
}

HRESULT SeChangeVariantTypeNoLocale(const VARIANT& source, VARIANT* out, VARTYPE target) {
  const HRESULT hr = SeChangeVariantType(source, out, target, kSeNoLocale, false);
  return FAILED(hr) ? SeReportError(kSource, 741, hr, u"SeChangeVariantTypeNoLocale") : hr;
}

HRESULT SeVariantToTypeNoLocale(const VARIANT& value, std::u16string& text) {
  VARIANT converted;
  VariantInit(&converted);
  HRESULT hr = SeChangeVariantTypeNoLocale(value, &converted, VT_BSTR);
  if (FAILED(hr)) {
    if (hr == DISP_E_OVERFLOW) hr = DISP_E_TYPEMISMATCH;
    return SeReportError(kSource, 533, hr, u"SeVariantToTypeNoLocale");
  }
  if (converted.vt == VT_BSTR && converted.bstrVal) {
    text.assign(converted.bstrVal, SysStringLen(converted.bstrVal));
  } else {
    text.clear();  // EMPTY and NULL have no text
  }
  VariantClear(&converted);
  return S_OK;
}

HRESULT SeStringToBool(LPCWSTR text, bool* value) {
  if (value == nullptr || text == nullptr) return SeReportError(kSource, 1099, E_POINTER, u"SeStringToBool");
  *value = false;
  if (SeStringToBool(std::u16string_view(text), *value)) return S_OK;
  VARIANT source, number, boolean;
  VariantInit(&source);
  VariantInit(&number);
  VariantInit(&boolean);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(text);
  if (source.bstrVal == nullptr) return SeReportError(kSource, 1099, E_OUTOFMEMORY, u"SeStringToBool");
  HRESULT hr = SeChangeVariantTypeNoLocale(source, &number, VT_R8);
  if (SUCCEEDED(hr)) {
    *value = number.dblVal != 0.0;  // NaN compares unequal: true
  } else {
    SeReportError(kSource, 1079, hr, u"SeStringToBool");
    hr = SeChangeVariantTypeNoLocale(source, &boolean, VT_BOOL);
    if (SUCCEEDED(hr)) {
      *value = boolean.boolVal != VARIANT_FALSE;
    } else {
      SeReportError(kSource, 1090, hr, u"SeStringToBool");
      hr = SeReportError(kSource, 1099, E_FAIL, u"SeStringToBool");
    }
  }
  VariantClear(&source);
  return hr;
}

// The per-type parsers (VarXxxFromStr) and formatters (VarBstrFromXxx) under locale 2057, plus the
// numeric helpers built on the same rules. The locale flags are accepted: this platform has no
// user overrides, so LOCALE_NOUSEROVERRIDE changes nothing and every LCID formats as 2057.
#include <cmath>
#include <cstring>
#include <type_traits>
#include <string_view>

#include "com/automation/date_time.h"
#include "com/automation/numeric.h"
#include "oleauto.h"
#include "zplatform/text.h"

using namespace zplatform::automation::detail;

namespace {

std::u16string_view TextOf(LPCOLESTR text) {
  if (text == nullptr) return {};
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  return {text, n};
}

// Parses text as a number and stores it as type vt into *out (a field of a scratch VARIANT).
template <class T>
HRESULT ParseInto(LPCOLESTR text, VARTYPE vt, T* out) {
  if (out == nullptr) return E_INVALIDARG;
  if (text == nullptr) return DISP_E_TYPEMISMATCH;
  Numeric value;
  HRESULT hr = ParseNumber(TextOf(text), &value);
  if (FAILED(hr)) return hr;
  VARIANT converted;
  hr = NumericToVariant(value, vt, &converted);
  if (FAILED(hr)) return hr;
  std::memcpy(out, vt == VT_DECIMAL ? static_cast<void*>(&converted.decVal) : static_cast<void*>(&converted.llVal),
              sizeof(T));
  if constexpr (std::is_same_v<T, DECIMAL>) out->wReserved = 0;
  return S_OK;
}

HRESULT ReturnText(const std::u16string& text, BSTR* out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

std::u16string_view Trimmed(std::u16string_view text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

STDAPI VarI1FromStr(LPCOLESTR strIn, LCID, ULONG, CHAR* pcOut) { return ParseInto(strIn, VT_I1, pcOut); }
STDAPI VarI2FromStr(LPCOLESTR strIn, LCID, ULONG, SHORT* psOut) { return ParseInto(strIn, VT_I2, psOut); }
STDAPI VarI4FromStr(LPCOLESTR strIn, LCID, ULONG, LONG* plOut) { return ParseInto(strIn, VT_I4, plOut); }
STDAPI VarI8FromStr(LPCOLESTR strIn, LCID, ULONG, LONG64* pi64Out) { return ParseInto(strIn, VT_I8, pi64Out); }
STDAPI VarUI1FromStr(LPCOLESTR strIn, LCID, ULONG, BYTE* pbOut) { return ParseInto(strIn, VT_UI1, pbOut); }
STDAPI VarUI2FromStr(LPCOLESTR strIn, LCID, ULONG, USHORT* puiOut) { return ParseInto(strIn, VT_UI2, puiOut); }
STDAPI VarUI4FromStr(LPCOLESTR strIn, LCID, ULONG, ULONG* pulOut) { return ParseInto(strIn, VT_UI4, pulOut); }
STDAPI VarUI8FromStr(LPCOLESTR strIn, LCID, ULONG, ULONG64* pi64Out) { return ParseInto(strIn, VT_UI8, pi64Out); }
STDAPI VarR4FromStr(LPCOLESTR strIn, LCID, ULONG, FLOAT* pfltOut) { return ParseInto(strIn, VT_R4, pfltOut); }
STDAPI VarR8FromStr(LPCOLESTR strIn, LCID, ULONG, DOUBLE* pdblOut) { return ParseInto(strIn, VT_R8, pdblOut); }
STDAPI VarCyFromStr(LPCOLESTR strIn, LCID, ULONG, CY* pcyOut) { return ParseInto(strIn, VT_CY, pcyOut); }
STDAPI VarDecFromStr(LPCOLESTR strIn, LCID, ULONG, DECIMAL* pdecOut) { return ParseInto(strIn, VT_DECIMAL, pdecOut); }

STDAPI VarDateFromStr(LPCOLESTR strIn, LCID, ULONG dwFlags, DATE* pdateOut) {
  if (pdateOut == nullptr) return E_INVALIDARG;
  if (strIn == nullptr) return DISP_E_TYPEMISMATCH;
  return ParseDate(TextOf(strIn), dwFlags, pdateOut);
}

// "True"/"False" (any case, or as "#TRUE#"/"#FALSE#"), else any number: non-zero is true.
STDAPI VarBoolFromStr(LPCOLESTR strIn, LCID, ULONG, VARIANT_BOOL* pboolOut) {
  if (pboolOut == nullptr) return E_INVALIDARG;
  if (strIn == nullptr) return DISP_E_TYPEMISMATCH;
  const std::u16string_view text = Trimmed(TextOf(strIn));
  if (zplatform::EqualsNoCase(text, u"TRUE") || zplatform::EqualsNoCase(text, u"#TRUE#")) {
    *pboolOut = VARIANT_TRUE;
    return S_OK;
  }
  if (zplatform::EqualsNoCase(text, u"FALSE") || zplatform::EqualsNoCase(text, u"#FALSE#")) {
    *pboolOut = VARIANT_FALSE;
    return S_OK;
  }
  return ParseInto(strIn, VT_BOOL, pboolOut);
}

STDAPI VarBstrFromI1(CHAR cIn, LCID, ULONG, BSTR* pbstrOut) {
  return ReturnText(FormatInteger(static_cast<signed char>(cIn)), pbstrOut);
}
STDAPI VarBstrFromI2(SHORT iVal, LCID, ULONG, BSTR* pbstrOut) { return ReturnText(FormatInteger(iVal), pbstrOut); }
STDAPI VarBstrFromI4(LONG lIn, LCID, ULONG, BSTR* pbstrOut) { return ReturnText(FormatInteger(lIn), pbstrOut); }
STDAPI VarBstrFromI8(LONG64 i64In, LCID, ULONG, BSTR* pbstrOut) { return ReturnText(FormatInteger(i64In), pbstrOut); }
STDAPI VarBstrFromUI1(BYTE bVal, LCID, ULONG, BSTR* pbstrOut) { return ReturnText(FormatUnsigned(bVal), pbstrOut); }
STDAPI VarBstrFromUI2(USHORT uiIn, LCID, ULONG, BSTR* pbstrOut) { return ReturnText(FormatUnsigned(uiIn), pbstrOut); }
STDAPI VarBstrFromUI4(ULONG ulIn, LCID, ULONG, BSTR* pbstrOut) { return ReturnText(FormatUnsigned(ulIn), pbstrOut); }
STDAPI VarBstrFromUI8(ULONG64 ui64In, LCID, ULONG, BSTR* pbstrOut) {
  return ReturnText(FormatUnsigned(ui64In), pbstrOut);
}
STDAPI VarBstrFromR4(FLOAT fltIn, LCID, ULONG, BSTR* pbstrOut) { return ReturnText(FormatDouble(fltIn, 7), pbstrOut); }
STDAPI VarBstrFromR8(DOUBLE dblIn, LCID, ULONG, BSTR* pbstrOut) {
  return ReturnText(FormatDouble(dblIn, 15), pbstrOut);
}

STDAPI VarBstrFromCy(CY cyIn, LCID, ULONG, BSTR* pbstrOut) {
  const bool negative = cyIn.int64 < 0;
  const auto magnitude = negative ? static_cast<UInt128>(-static_cast<__int128>(cyIn.int64))
                                  : static_cast<UInt128>(cyIn.int64);
  return ReturnText(FormatScaled(negative, magnitude, 4), pbstrOut);
}

STDAPI VarBstrFromDec(const DECIMAL* pdecIn, LCID, ULONG, BSTR* pbstrOut) {
  if (pdecIn == nullptr || pdecIn->u.s.scale > 28) return E_INVALIDARG;
  const UInt128 mantissa = static_cast<UInt128>(pdecIn->Hi32) << 64 | pdecIn->u2.Lo64;
  return ReturnText(FormatScaled((pdecIn->u.s.sign & DECIMAL_NEG) != 0, mantissa, pdecIn->u.s.scale), pbstrOut);
}

STDAPI VarBstrFromDate(DATE dateIn, LCID, ULONG dwFlags, BSTR* pbstrOut) {
  if (pbstrOut == nullptr) return E_INVALIDARG;
  std::u16string text;
  const HRESULT hr = FormatDate(dateIn, dwFlags, &text);
  if (FAILED(hr)) return hr;
  return ReturnText(text, pbstrOut);
}

STDAPI VarBstrFromBool(VARIANT_BOOL boolIn, LCID, ULONG dwFlags, BSTR* pbstrOut) {
  const bool value = boolIn != VARIANT_FALSE;
  if (dwFlags & VAR_BOOLYESNO) return ReturnText(value ? u"Yes" : u"No", pbstrOut);
  if (dwFlags & VAR_BOOLONOFF) return ReturnText(value ? u"On" : u"Off", pbstrOut);
  return ReturnText(value ? u"True" : u"False", pbstrOut);
}

namespace {

// Converts between two scalar numeric types through the shared rules.
template <class In, class Out>
HRESULT ConvertScalar(VARTYPE from, In in, VARTYPE to, Out* out) {
  if (out == nullptr) return E_INVALIDARG;
  VARIANT source;
  VariantInit(&source);
  if constexpr (std::is_same_v<In, DECIMAL>) {
    source.decVal = in;
  } else {
    std::memcpy(&source.llVal, &in, sizeof in);
  }
  source.vt = from;
  Numeric value;
  if (!NumericFromVariant(source, &value)) return E_INVALIDARG;
  VARIANT converted;
  const HRESULT hr = NumericToVariant(value, to, &converted);
  if (FAILED(hr)) return hr;
  std::memcpy(out, to == VT_DECIMAL ? static_cast<void*>(&converted.decVal) : static_cast<void*>(&converted.llVal),
              sizeof(Out));
  if constexpr (std::is_same_v<Out, DECIMAL>) out->wReserved = 0;
  return S_OK;
}

}  // namespace

STDAPI VarR8FromDec(const DECIMAL* pdecIn, DOUBLE* pdblOut) {
  if (pdecIn == nullptr) return E_INVALIDARG;
  return ConvertScalar(VT_DECIMAL, *pdecIn, VT_R8, pdblOut);
}
STDAPI VarDecFromR8(DOUBLE dblIn, DECIMAL* pdecOut) { return ConvertScalar(VT_R8, dblIn, VT_DECIMAL, pdecOut); }
STDAPI VarDecFromI8(LONG64 i64In, DECIMAL* pdecOut) { return ConvertScalar(VT_I8, i64In, VT_DECIMAL, pdecOut); }
STDAPI VarR8FromCy(CY cyIn, DOUBLE* pdblOut) { return ConvertScalar(VT_CY, cyIn, VT_R8, pdblOut); }
STDAPI VarCyFromR8(DOUBLE dblIn, CY* pcyOut) { return ConvertScalar(VT_R8, dblIn, VT_CY, pcyOut); }
STDAPI VarI4FromR8(DOUBLE dblIn, LONG* plOut) { return ConvertScalar(VT_R8, dblIn, VT_I4, plOut); }

STDAPI VarDateFromUdate(const SYSTEMTIME* pst, ULONG, DATE* pdateOut) {
  if (pst == nullptr || pdateOut == nullptr) return E_INVALIDARG;
  const CivilDateTime civil{pst->wYear, pst->wMonth, pst->wDay, pst->wHour, pst->wMinute, pst->wSecond,
                            pst->wMilliseconds};
  return CivilToDate(civil, pdateOut) ? S_OK : E_INVALIDARG;
}

STDAPI_(INT) SystemTimeToVariantTime(const SYSTEMTIME* lpSystemTime, DOUBLE* pvtime) {
  return SUCCEEDED(VarDateFromUdate(lpSystemTime, 0, pvtime)) ? TRUE : FALSE;
}

STDAPI_(INT) VariantTimeToSystemTime(DOUBLE vtime, SYSTEMTIME* lpSystemTime) {
  CivilDateTime civil;
  if (lpSystemTime == nullptr || !DateToCivil(vtime, &civil, true)) return FALSE;
  const long long days = static_cast<long long>(std::trunc(vtime));  // 30 Dec 1899 was a Saturday
  lpSystemTime->wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 6) % 7);
  lpSystemTime->wYear = static_cast<WORD>(civil.year);
  lpSystemTime->wMonth = static_cast<WORD>(civil.month);
  lpSystemTime->wDay = static_cast<WORD>(civil.day);
  lpSystemTime->wHour = static_cast<WORD>(civil.hour);
  lpSystemTime->wMinute = static_cast<WORD>(civil.minute);
  lpSystemTime->wSecond = static_cast<WORD>(civil.second);
  lpSystemTime->wMilliseconds = static_cast<WORD>(civil.millisecond);
  return TRUE;
}

// SeTypeToVariant: an integer, a text or a boolean as a VARIANT the caller owns.
// Needs only the VARIANT and BSTR services, so the safe containers can use it alone.
#include "SeVariantOut.h"
#include "base/SeErrorHandler.h"
#include "base/SeUtils.h"

namespace {
constexpr LPCWSTR kSource = u"SeUtils";
}

HRESULT SeClearOutVariant(VARIANT* out, INT clearLine, INT storeLine, LPCWSTR function) {
  if (out == nullptr) return SeReportError(kSource, storeLine, E_POINTER, function);
  const HRESULT hr = VariantClear(out);
  return FAILED(hr) ? SeReportError(kSource, clearLine, hr, function) : S_OK;
}

HRESULT SeTypeToVariant(INT value, VARIANT* out) {
  if (const HRESULT hr = SeClearOutVariant(out, 674, 676, u"SeTypeToVariant"); FAILED(hr)) return hr;
  out->vt = VT_I4;
  out->lVal = value;
  return S_OK;
}

HRESULT SeTypeToVariant(LPCWSTR value, VARIANT* out) {
  if (const HRESULT hr = SeClearOutVariant(out, 622, 624, u"SeTypeToVariant"); FAILED(hr)) return hr;
  BSTR text = SysAllocString(value ? value : u"");
  if (text == nullptr) return SeReportError(kSource, 624, E_OUTOFMEMORY, u"SeTypeToVariant");
  out->vt = VT_BSTR;
  out->bstrVal = text;
  return S_OK;
}

HRESULT SeTypeToVariant(bool value, VARIANT* out) {
  if (const HRESULT hr = SeClearOutVariant(out, 719, 721, u"SeTypeToVariant"); FAILED(hr)) return hr;
  out->vt = VT_BOOL;
  out->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}


// VariantChangeType(Ex): coercion between VARIANT types through the per-type parsers and
// formatters and the shared numeric rules. The destination changes only on success.
// Failures: DISP_E_TYPEMISMATCH, DISP_E_OVERFLOW, DISP_E_BADVARTYPE, E_INVALIDARG.
#include "com/automation/date_time.h"
#include "com/automation/numeric.h"
#include "com/automation/vartype_info.h"
#include "oleauto.h"

using namespace zplatform::automation::detail;

namespace {

bool IsNumericType(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_INT: case VT_UINT:
    case VT_I8: case VT_UI8: case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_BOOL: case VT_DECIMAL:
      return true;
    default:
      return false;
  }
}

ULONG ConversionFlags(USHORT wFlags) {
  ULONG flags = 0;
  if (wFlags & VARIANT_NOUSEROVERRIDE) flags |= LOCALE_NOUSEROVERRIDE;
  if (wFlags & VARIANT_LOCALBOOL) flags |= VAR_LOCALBOOL;
  return flags;
}

// Text to any numeric, boolean or date type.
HRESULT FromText(BSTR text, LCID lcid, ULONG flags, VARTYPE vt, VARIANT* out) {
  static const OLECHAR kEmpty[] = {0};
  LPCOLESTR source = text != nullptr ? text : kEmpty;
  VariantInit(out);
  HRESULT hr;
  switch (vt) {
    case VT_DATE: hr = VarDateFromStr(source, lcid, flags, &out->date); break;
    case VT_BOOL: hr = VarBoolFromStr(source, lcid, flags, &out->boolVal); break;
    default: {
      Numeric value;
      hr = ParseNumber(std::u16string_view(source, SysStringLen(text)), &value);
      if (SUCCEEDED(hr)) hr = NumericToVariant(value, vt, out);
      return hr;
    }
  }
  if (SUCCEEDED(hr)) out->vt = vt;
  return hr;
}

// Any numeric, boolean or date value to text.
HRESULT ToText(const VARIANT& source, LCID lcid, USHORT wFlags, VARIANT* out) {
  const ULONG flags = ConversionFlags(wFlags);
  VariantInit(out);
  BSTR text = nullptr;
  HRESULT hr;
  switch (source.vt) {
    case VT_I1: hr = VarBstrFromI1(source.cVal, lcid, flags, &text); break;
    case VT_UI1: hr = VarBstrFromUI1(source.bVal, lcid, flags, &text); break;
    case VT_I2: hr = VarBstrFromI2(source.iVal, lcid, flags, &text); break;
    case VT_UI2: hr = VarBstrFromUI2(source.uiVal, lcid, flags, &text); break;
    case VT_I4: case VT_INT: hr = VarBstrFromI4(source.lVal, lcid, flags, &text); break;
    case VT_UI4: case VT_UINT: hr = VarBstrFromUI4(source.ulVal, lcid, flags, &text); break;
    case VT_I8: hr = VarBstrFromI8(source.llVal, lcid, flags, &text); break;
    case VT_UI8: hr = VarBstrFromUI8(source.ullVal, lcid, flags, &text); break;
    case VT_R4: hr = VarBstrFromR4(source.fltVal, lcid, flags, &text); break;
    case VT_R8: hr = VarBstrFromR8(source.dblVal, lcid, flags, &text); break;
    case VT_CY: hr = VarBstrFromCy(source.cyVal, lcid, flags, &text); break;
    case VT_DATE: hr = VarBstrFromDate(source.date, lcid, flags, &text); break;
    case VT_DECIMAL: hr = VarBstrFromDec(&source.decVal, lcid, flags, &text); break;
    case VT_BOOL:
      // Without VARIANT_ALPHABOOL a boolean becomes its number, "-1" or "0".
      hr = (wFlags & VARIANT_ALPHABOOL) ? VarBstrFromBool(source.boolVal, lcid, flags, &text)
                                        : VarBstrFromI2(source.boolVal, lcid, flags, &text);
      break;
    default: return DISP_E_TYPEMISMATCH;
  }
  if (FAILED(hr)) return hr;
  out->vt = VT_BSTR;
  out->bstrVal = text;
  return S_OK;
}

// The value of VT_EMPTY in the target type: zero, the empty text or false.
HRESULT FromEmpty(VARTYPE vt, VARIANT* out) {
  VariantInit(out);
  if (vt == VT_BSTR) {
    out->bstrVal = SysAllocStringLen(nullptr, 0);
    if (out->bstrVal == nullptr) return E_OUTOFMEMORY;
  } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
    out->punkVal = nullptr;
  } else if (vt == VT_DECIMAL) {
    DECIMAL_SETZERO(out->decVal);
  } else if (IsNumericType(vt) || vt == VT_NULL || vt == VT_EMPTY) {
    out->llVal = 0;
  } else {
    return DISP_E_TYPEMISMATCH;
  }
  out->vt = vt;
  return S_OK;
}

HRESULT FromInterface(const VARIANT& source, LCID lcid, USHORT wFlags, VARTYPE vt, VARIANT* out);

// Converts a non-byref source into *out (uninitialised), never touching the caller's destination.
HRESULT Coerce(const VARIANT& source, LCID lcid, USHORT wFlags, VARTYPE vt, VARIANT* out) {
  VariantInit(out);
  if (source.vt == vt) return VariantCopy(out, &source);
  if ((source.vt | vt) & VT_ARRAY) return DISP_E_TYPEMISMATCH;
  if (source.vt == VT_EMPTY) return FromEmpty(vt, out);
  if (source.vt == VT_NULL || vt == VT_NULL || vt == VT_EMPTY || vt == VT_ERROR || source.vt == VT_ERROR) {
    return DISP_E_TYPEMISMATCH;
  }
  if (source.vt == VT_UNKNOWN || source.vt == VT_DISPATCH) return FromInterface(source, lcid, wFlags, vt, out);
  if (source.vt == VT_BSTR) {
    return IsNumericType(vt) ? FromText(source.bstrVal, lcid, ConversionFlags(wFlags), vt, out) : DISP_E_TYPEMISMATCH;
  }
  if (vt == VT_BSTR) return ToText(source, lcid, wFlags, out);
  Numeric value;
  if (!IsNumericType(vt) || !NumericFromVariant(source, &value)) return DISP_E_TYPEMISMATCH;
  return NumericToVariant(value, vt, out);
}

// IUnknown <-> IDispatch by QueryInterface; other targets read the object's default value.
HRESULT FromInterface(const VARIANT& source, LCID lcid, USHORT wFlags, VARTYPE vt, VARIANT* out) {
  if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
    if (source.punkVal == nullptr) return vt == VT_UNKNOWN ? FromEmpty(vt, out) : DISP_E_TYPEMISMATCH;
    const HRESULT hr = source.punkVal->QueryInterface(vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown,
                                                      reinterpret_cast<void**>(&out->punkVal));
    if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
    out->vt = vt;
    return S_OK;
  }
  if (source.vt != VT_DISPATCH || source.pdispVal == nullptr || (wFlags & VARIANT_NOVALUEPROP)) {
    return DISP_E_TYPEMISMATCH;
  }
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  VARIANT value;
  VariantInit(&value);
  HRESULT hr = source.pdispVal->Invoke(DISPID_VALUE, GUID_NULL, lcid, DISPATCH_PROPERTYGET, &none, &value, nullptr,
                                       nullptr);
  if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
  hr = (value.vt == VT_DISPATCH) ? DISP_E_TYPEMISMATCH : Coerce(value, lcid, wFlags | VARIANT_NOVALUEPROP, vt, out);
  VariantClear(&value);
  return hr;
}

}  // namespace

STDAPI VariantChangeTypeEx(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, LCID lcid, USHORT wFlags, VARTYPE vt) {
  if (pvargDest == nullptr || pvarSrc == nullptr) return E_INVALIDARG;
  if (!IsValidVariantType(pvarSrc->vt) || (vt & VT_BYREF) || (vt != VT_EMPTY && vt != VT_NULL && !IsValidVariantType(vt))) {
    return DISP_E_BADVARTYPE;
  }
  VARIANT source;
  VariantInit(&source);
  HRESULT hr = VariantCopyInd(&source, pvarSrc);
  if (FAILED(hr)) return hr;
  VARIANT result;
  hr = Coerce(source, lcid, wFlags, vt, &result);
  VariantClear(&source);
  if (FAILED(hr)) return hr;
  hr = VariantClear(pvargDest);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  *pvargDest = result;
  return S_OK;
}

STDAPI VariantChangeType(VARIANTARG* pvargDest, const VARIANTARG* pvarSrc, USHORT wFlags, VARTYPE vt) {
  return VariantChangeTypeEx(pvargDest, pvarSrc, LOCALE_USER_DEFAULT, wFlags, vt);
}

// VARIANT life cycle: initialise, clear (freeing what the VARIANT owns), deep copy and copy
// through one level of VT_BYREF. A VARIANT owns its BSTR, interface reference and SAFEARRAY.
#include <cstring>

#include "com/automation/vartype_info.h"
#include "oleauto.h"

using zplatform::automation::detail::ElementSize;
using zplatform::automation::detail::IsValidVariantType;

STDAPI_(void) VariantInit(VARIANTARG* pvarg) {
  if (pvarg == nullptr) return;
  pvarg->vt = VT_EMPTY;
  pvarg->wReserved1 = pvarg->wReserved2 = pvarg->wReserved3 = 0;
}

STDAPI VariantClear(VARIANTARG* pvarg) {
  if (pvarg == nullptr) return E_INVALIDARG;
  if (!IsValidVariantType(pvarg->vt)) return DISP_E_BADVARTYPE;
  if (!(pvarg->vt & VT_BYREF)) {
    if (pvarg->vt & VT_ARRAY) {
      const HRESULT hr = SafeArrayDestroy(pvarg->parray);
      if (FAILED(hr)) return hr;
    } else if (pvarg->vt == VT_BSTR) {
      SysFreeString(pvarg->bstrVal);
    } else if ((pvarg->vt == VT_UNKNOWN || pvarg->vt == VT_DISPATCH) && pvarg->punkVal != nullptr) {
      pvarg->punkVal->Release();
    }
  }
  pvarg->vt = VT_EMPTY;
  return S_OK;
}

namespace {

// Fills dest (uninitialised) with a deep copy of the non-byref value src.
HRESULT CopyValue(VARIANT* dest, const VARIANT* src) {
  *dest = *src;
  if (src->vt & VT_ARRAY) {
    return SafeArrayCopy(src->parray, &dest->parray);
  }
  if (src->vt == VT_BSTR && src->bstrVal != nullptr) {
    dest->bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(src->bstrVal), SysStringByteLen(src->bstrVal));
    return dest->bstrVal != nullptr ? S_OK : E_OUTOFMEMORY;
  }
  if ((src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) && src->punkVal != nullptr) {
    src->punkVal->AddRef();
  }
  return S_OK;
}

// Fills dest (uninitialised) with a deep copy of the value src points to (src->vt has VT_BYREF).
HRESULT CopyReferencedValue(VARIANT* dest, const VARIANT* src) {
  const VARTYPE vt = src->vt & ~VT_BYREF;
  if (src->byref == nullptr) return E_INVALIDARG;
  if (vt == VT_VARIANT) {
    const VARIANT* inner = src->pvarVal;
    if (inner->vt == (VT_BYREF | VT_VARIANT)) return E_INVALIDARG;
    if (!IsValidVariantType(inner->vt)) return DISP_E_BADVARTYPE;
    if (inner->vt & VT_BYREF) return CopyReferencedValue(dest, inner);
    return CopyValue(dest, inner);
  }
  VARIANT value;
  VariantInit(&value);
  value.vt = vt;
  if (vt & VT_ARRAY) {
    value.parray = *src->pparray;
  } else if (vt == VT_DECIMAL) {
    value.decVal = *src->pdecVal;
    value.vt = VT_DECIMAL;
  } else {
    std::memcpy(&value.llVal, src->byref, ElementSize(vt));
  }
  return CopyValue(dest, &value);
}

}  // namespace

STDAPI VariantCopy(VARIANTARG* pvargDest, const VARIANTARG* pvargSrc) {
  if (pvargDest == nullptr || pvargSrc == nullptr) return E_INVALIDARG;
  if (pvargDest == pvargSrc) return S_OK;
  if (!IsValidVariantType(pvargSrc->vt)) return DISP_E_BADVARTYPE;
  VARIANT copy;
  const HRESULT hr = CopyValue(&copy, pvargSrc);
  if (FAILED(hr)) return hr;
  const HRESULT cleared = VariantClear(pvargDest);
  if (FAILED(cleared)) {
    VariantClear(&copy);
    return cleared;
  }
  *pvargDest = copy;
  return S_OK;
}

STDAPI VariantCopyInd(VARIANT* pvarDest, const VARIANTARG* pvargSrc) {
  if (pvarDest == nullptr || pvargSrc == nullptr) return E_INVALIDARG;
  if (!IsValidVariantType(pvargSrc->vt)) return DISP_E_BADVARTYPE;
  if (!(pvargSrc->vt & VT_BYREF)) return VariantCopy(pvarDest, pvargSrc);
  VARIANT copy;
  const HRESULT hr = CopyReferencedValue(&copy, pvargSrc);
  if (FAILED(hr)) return hr;
  // A by-reference source owns nothing, so when it is the destination itself it is simply replaced.
  if (pvarDest != pvargSrc) {
    const HRESULT cleared = VariantClear(pvarDest);
    if (FAILED(cleared)) {
      VariantClear(&copy);
      return cleared;
    }
  }
  *pvarDest = copy;
  return S_OK;
}

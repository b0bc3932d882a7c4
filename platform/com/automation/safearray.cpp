// SAFEARRAY services: descriptors with any number of dimensions and lower bounds, element data
// laid out with the first index varying fastest, lock counting, and element ownership by type.
// Failure codes as on Windows: E_INVALIDARG, DISP_E_BADINDEX, DISP_E_ARRAYISLOCKED, E_UNEXPECTED.
#include <cstdlib>
#include <cstring>
#include <limits>

#include "com/automation/vartype_info.h"
#include "oleauto.h"

using zplatform::automation::detail::ElementSize;

namespace {

// Hidden header in front of every descriptor: the IID (FADF_HAVEIID) or, in its last four
// bytes, the element VARTYPE (FADF_HAVEVARTYPE), as on Windows.
constexpr std::size_t kHiddenBytes = 16;
constexpr ULONG kMaxLocks = 0xFFFF;

std::size_t DescriptorBytes(UINT cDims) { return sizeof(SAFEARRAY) + (cDims - 1) * sizeof(SAFEARRAYBOUND); }
char* HiddenHeader(SAFEARRAY* psa) { return reinterpret_cast<char*>(psa) - kHiddenBytes; }

USHORT FeaturesFor(VARTYPE vt) {
  switch (vt) {
    case VT_BSTR: return FADF_HAVEVARTYPE | FADF_BSTR;
    case VT_VARIANT: return FADF_HAVEVARTYPE | FADF_VARIANT;
    case VT_UNKNOWN: return FADF_HAVEIID | FADF_UNKNOWN;
    case VT_DISPATCH: return FADF_HAVEIID | FADF_DISPATCH;
    default: return FADF_HAVEVARTYPE;
  }
}

// Number of elements over all dimensions, or false when it does not fit in memory.
bool TotalElements(const SAFEARRAY* psa, std::size_t* total) {
  std::size_t count = 1;
  for (USHORT d = 0; d < psa->cDims; ++d) {
    const std::size_t n = psa->rgsabound[d].cElements;
    if (n != 0 && count > std::numeric_limits<std::size_t>::max() / n) return false;
    count *= n;
  }
  if (psa->cbElements != 0 && count > std::numeric_limits<std::size_t>::max() / psa->cbElements) return false;
  *total = count;
  return true;
}

// Byte offset of the element at rgIndices (rgIndices[0] is dimension 1), or false when out of bounds.
bool CellOffset(const SAFEARRAY* psa, const LONG* rgIndices, std::size_t* offset) {
  std::size_t cell = 0;
  std::size_t stride = 1;
  for (USHORT dim = 0; dim < psa->cDims; ++dim) {
    const SAFEARRAYBOUND& bound = psa->rgsabound[psa->cDims - 1 - dim];
    const LONGLONG relative = static_cast<LONGLONG>(rgIndices[dim]) - bound.lLbound;
    if (relative < 0 || relative >= static_cast<LONGLONG>(bound.cElements)) return false;
    cell += static_cast<std::size_t>(relative) * stride;
    stride *= bound.cElements;
  }
  *offset = cell * psa->cbElements;
  return true;
}

// Releases what `count` elements starting at data own, leaving them zeroed.
void ClearElements(SAFEARRAY* psa, char* data, std::size_t count) {
  if (psa->fFeatures & FADF_BSTR) {
    for (std::size_t i = 0; i < count; ++i) SysFreeString(reinterpret_cast<BSTR*>(data)[i]);
  } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    for (std::size_t i = 0; i < count; ++i) {
      IUnknown* unknown = reinterpret_cast<IUnknown**>(data)[i];
      if (unknown != nullptr) unknown->Release();
    }
  } else if (psa->fFeatures & FADF_VARIANT) {
    for (std::size_t i = 0; i < count; ++i) VariantClear(reinterpret_cast<VARIANT*>(data) + i);
  }
  std::memset(data, 0, count * psa->cbElements);
}

// Copies one element from source to target, both raw element slots; target must be zeroed or owned.
HRESULT CopyElement(const SAFEARRAY* psa, const char* source, char* target) {
  if (psa->fFeatures & FADF_BSTR) {
    BSTR text = *reinterpret_cast<const BSTR*>(source);
    BSTR copy = nullptr;
    if (text != nullptr) {
      copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
      if (copy == nullptr) return E_OUTOFMEMORY;
    }
    SysFreeString(*reinterpret_cast<BSTR*>(target));
    *reinterpret_cast<BSTR*>(target) = copy;
  } else if (psa->fFeatures & (FADF_UNKNOWN | FADF_DISPATCH)) {
    IUnknown* unknown = *reinterpret_cast<IUnknown* const*>(source);
    if (unknown != nullptr) unknown->AddRef();
    IUnknown*& slot = *reinterpret_cast<IUnknown**>(target);
    if (slot != nullptr) slot->Release();
    slot = unknown;
  } else if (psa->fFeatures & FADF_VARIANT) {
    return VariantCopy(reinterpret_cast<VARIANT*>(target), reinterpret_cast<const VARIANT*>(source));
  } else {
    std::memmove(target, source, psa->cbElements);
  }
  return S_OK;
}

}  // namespace

STDAPI SafeArrayAllocDescriptor(UINT cDims, SAFEARRAY** ppsaOut) {
  if (ppsaOut == nullptr) return E_POINTER;
  *ppsaOut = nullptr;
  if (cDims == 0 || cDims > 0xFFFF) return E_INVALIDARG;
  auto* block = static_cast<char*>(std::calloc(1, kHiddenBytes + DescriptorBytes(cDims)));
  if (block == nullptr) return E_OUTOFMEMORY;
  auto* psa = reinterpret_cast<SAFEARRAY*>(block + kHiddenBytes);
  psa->cDims = static_cast<USHORT>(cDims);
  *ppsaOut = psa;
  return S_OK;
}

STDAPI SafeArrayAllocDescriptorEx(VARTYPE vt, UINT cDims, SAFEARRAY** ppsaOut) {
  const ULONG size = ElementSize(vt);
  if (size == 0) return E_INVALIDARG;
  const HRESULT hr = SafeArrayAllocDescriptor(cDims, ppsaOut);
  if (FAILED(hr)) return hr;
  SAFEARRAY* psa = *ppsaOut;
  psa->cbElements = size;
  psa->fFeatures = FeaturesFor(vt);
  if (psa->fFeatures & FADF_HAVEIID) {
    const IID& iid = vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown;
    std::memcpy(HiddenHeader(psa), &iid, sizeof iid);
  } else {
    const DWORD type = vt;
    std::memcpy(HiddenHeader(psa) + kHiddenBytes - sizeof type, &type, sizeof type);
  }
  return S_OK;
}

STDAPI SafeArrayAllocData(SAFEARRAY* psa) {
  if (psa == nullptr) return E_INVALIDARG;
  std::size_t total = 0;
  if (!TotalElements(psa, &total)) return E_OUTOFMEMORY;
  void* data = std::calloc(total == 0 ? 1 : total, psa->cbElements == 0 ? 1 : psa->cbElements);
  if (data == nullptr) return E_OUTOFMEMORY;
  psa->pvData = data;
  return S_OK;
}

STDAPI_(SAFEARRAY*) SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* rgsabound) {
  if (rgsabound == nullptr || cDims == 0) return nullptr;
  SAFEARRAY* psa = nullptr;
  if (FAILED(SafeArrayAllocDescriptorEx(vt, cDims, &psa))) return nullptr;
  for (UINT i = 0; i < cDims; ++i) psa->rgsabound[i] = rgsabound[cDims - 1 - i];
  if (FAILED(SafeArrayAllocData(psa))) {
    SafeArrayDestroyDescriptor(psa);
    return nullptr;
  }
  return psa;
}

STDAPI_(SAFEARRAY*) SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
  SAFEARRAYBOUND bound{cElements, lLbound};
  return SafeArrayCreate(vt, 1, &bound);
}

STDAPI SafeArrayDestroyData(SAFEARRAY* psa) {
  if (psa == nullptr) return E_INVALIDARG;
  if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  if (psa->pvData == nullptr) return S_OK;
  std::size_t total = 0;
  if (TotalElements(psa, &total)) ClearElements(psa, static_cast<char*>(psa->pvData), total);
  if (!(psa->fFeatures & (FADF_STATIC | FADF_EMBEDDED | FADF_AUTO))) {
    std::free(psa->pvData);
    psa->pvData = nullptr;
  }
  return S_OK;
}

STDAPI SafeArrayDestroyDescriptor(SAFEARRAY* psa) {
  if (psa == nullptr) return S_OK;
  if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  std::free(HiddenHeader(psa));
  return S_OK;
}

STDAPI SafeArrayDestroy(SAFEARRAY* psa) {
  if (psa == nullptr) return S_OK;
  if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  const HRESULT hr = SafeArrayDestroyData(psa);
  if (FAILED(hr)) return hr;
  return SafeArrayDestroyDescriptor(psa);
}

STDAPI SafeArrayLock(SAFEARRAY* psa) {
  if (psa == nullptr) return E_INVALIDARG;
  ULONG current = __atomic_load_n(&psa->cLocks, __ATOMIC_ACQUIRE);
  do {
    if (current >= kMaxLocks) return E_UNEXPECTED;
  } while (!__atomic_compare_exchange_n(&psa->cLocks, &current, current + 1, true, __ATOMIC_ACQ_REL,
                                        __ATOMIC_ACQUIRE));
  return S_OK;
}

STDAPI SafeArrayUnlock(SAFEARRAY* psa) {
  if (psa == nullptr) return E_INVALIDARG;
  ULONG current = __atomic_load_n(&psa->cLocks, __ATOMIC_ACQUIRE);
  do {
    if (current == 0) return E_UNEXPECTED;
  } while (!__atomic_compare_exchange_n(&psa->cLocks, &current, current - 1, true, __ATOMIC_ACQ_REL,
                                        __ATOMIC_ACQUIRE));
  return S_OK;
}

STDAPI SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
  if (psa == nullptr || ppvData == nullptr) return E_INVALIDARG;
  const HRESULT hr = SafeArrayLock(psa);
  *ppvData = SUCCEEDED(hr) ? psa->pvData : nullptr;
  return hr;
}

STDAPI SafeArrayUnaccessData(SAFEARRAY* psa) { return SafeArrayUnlock(psa); }

STDAPI SafeArrayPtrOfIndex(SAFEARRAY* psa, LONG* rgIndices, void** ppvData) {
  if (psa == nullptr || rgIndices == nullptr || ppvData == nullptr) return E_INVALIDARG;
  std::size_t offset = 0;
  if (!CellOffset(psa, rgIndices, &offset)) return DISP_E_BADINDEX;
  *ppvData = static_cast<char*>(psa->pvData) + offset;
  return S_OK;
}

// pv is the value itself for BSTR and interface elements, else a pointer to the value.
STDAPI SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (psa == nullptr || rgIndices == nullptr) return E_INVALIDARG;
  const bool pointerElement = (psa->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH)) != 0;
  if (pv == nullptr && !pointerElement) return E_INVALIDARG;
  std::size_t offset = 0;
  if (!CellOffset(psa, rgIndices, &offset)) return DISP_E_BADINDEX;
  HRESULT hr = SafeArrayLock(psa);
  if (FAILED(hr)) return hr;
  char* slot = static_cast<char*>(psa->pvData) + offset;
  hr = CopyElement(psa, pointerElement ? reinterpret_cast<const char*>(&pv) : static_cast<const char*>(pv), slot);
  SafeArrayUnlock(psa);
  return hr;
}

// pv receives a copy the caller owns: a new BSTR, an added reference, a copied VARIANT.
STDAPI SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
  if (psa == nullptr || rgIndices == nullptr || pv == nullptr) return E_INVALIDARG;
  std::size_t offset = 0;
  if (!CellOffset(psa, rgIndices, &offset)) return DISP_E_BADINDEX;
  HRESULT hr = SafeArrayLock(psa);
  if (FAILED(hr)) return hr;
  if (psa->fFeatures & FADF_VARIANT) {
    VariantInit(static_cast<VARIANT*>(pv));
  } else if (psa->fFeatures & (FADF_BSTR | FADF_UNKNOWN | FADF_DISPATCH)) {
    *static_cast<void**>(pv) = nullptr;
  }
  hr = CopyElement(psa, static_cast<const char*>(psa->pvData) + offset, static_cast<char*>(pv));
  SafeArrayUnlock(psa);
  return hr;
}

STDAPI_(UINT) SafeArrayGetDim(SAFEARRAY* psa) { return psa == nullptr ? 0 : psa->cDims; }

STDAPI_(UINT) SafeArrayGetElemsize(SAFEARRAY* psa) { return psa == nullptr ? 0 : psa->cbElements; }

STDAPI SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
  if (psa == nullptr || plLbound == nullptr) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  *plLbound = psa->rgsabound[psa->cDims - nDim].lLbound;
  return S_OK;
}

STDAPI SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
  if (psa == nullptr || plUbound == nullptr) return E_INVALIDARG;
  if (nDim == 0 || nDim > psa->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& bound = psa->rgsabound[psa->cDims - nDim];
  *plUbound = static_cast<LONG>(static_cast<LONGLONG>(bound.lLbound) + bound.cElements - 1);
  return S_OK;
}

STDAPI SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
  if (psa == nullptr || pvt == nullptr) return E_INVALIDARG;
  if (psa->fFeatures & FADF_HAVEIID) {
    *pvt = (psa->fFeatures & FADF_DISPATCH) ? VT_DISPATCH : VT_UNKNOWN;
  } else if (psa->fFeatures & FADF_HAVEVARTYPE) {
    DWORD type = 0;
    std::memcpy(&type, HiddenHeader(psa) + kHiddenBytes - sizeof type, sizeof type);
    *pvt = static_cast<VARTYPE>(type);
  } else if (psa->fFeatures & FADF_BSTR) {
    *pvt = VT_BSTR;
  } else if (psa->fFeatures & FADF_UNKNOWN) {
    *pvt = VT_UNKNOWN;
  } else if (psa->fFeatures & FADF_DISPATCH) {
    *pvt = VT_DISPATCH;
  } else if (psa->fFeatures & FADF_VARIANT) {
    *pvt = VT_VARIANT;
  } else {
    return E_INVALIDARG;
  }
  return S_OK;
}

STDAPI SafeArrayCopyData(SAFEARRAY* psaSource, SAFEARRAY* psaTarget) {
  if (psaSource == nullptr || psaTarget == nullptr || psaSource->cDims != psaTarget->cDims ||
      psaSource->cbElements != psaTarget->cbElements) {
    return E_INVALIDARG;
  }
  std::size_t total = 0;
  if (!TotalElements(psaSource, &total)) return E_INVALIDARG;
  for (USHORT d = 0; d < psaSource->cDims; ++d) {
    if (psaSource->rgsabound[d].cElements != psaTarget->rgsabound[d].cElements) return E_INVALIDARG;
  }
  const auto* source = static_cast<const char*>(psaSource->pvData);
  auto* target = static_cast<char*>(psaTarget->pvData);
  for (std::size_t i = 0; i < total; ++i) {
    const HRESULT hr = CopyElement(psaSource, source + i * psaSource->cbElements, target + i * psaSource->cbElements);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

STDAPI SafeArrayCopy(SAFEARRAY* psa, SAFEARRAY** ppsaOut) {
  if (ppsaOut == nullptr) return E_INVALIDARG;
  *ppsaOut = nullptr;
  if (psa == nullptr) return S_OK;
  SAFEARRAY* copy = nullptr;
  HRESULT hr = SafeArrayAllocDescriptor(psa->cDims, &copy);
  if (FAILED(hr)) return hr;
  std::memcpy(HiddenHeader(copy), HiddenHeader(psa), kHiddenBytes);
  copy->fFeatures = psa->fFeatures & ~(FADF_STATIC | FADF_EMBEDDED | FADF_AUTO);
  copy->cbElements = psa->cbElements;
  std::memcpy(copy->rgsabound, psa->rgsabound, psa->cDims * sizeof(SAFEARRAYBOUND));
  if (psa->pvData != nullptr) {
    hr = SafeArrayAllocData(copy);
    if (SUCCEEDED(hr)) hr = SafeArrayCopyData(psa, copy);
  }
  if (FAILED(hr)) {
    SafeArrayDestroy(copy);
    return hr;
  }
  *ppsaOut = copy;
  return S_OK;
}

// Changes the element count of the last dimension (whose elements are contiguous at the end).
STDAPI SafeArrayRedim(SAFEARRAY* psa, SAFEARRAYBOUND* psaboundNew) {
  if (psa == nullptr || psaboundNew == nullptr) return E_INVALIDARG;
  if (psa->cLocks > 0) return DISP_E_ARRAYISLOCKED;
  if (psa->fFeatures & FADF_FIXEDSIZE) return E_INVALIDARG;
  std::size_t oldTotal = 0;
  if (!TotalElements(psa, &oldTotal)) return E_INVALIDARG;
  const SAFEARRAYBOUND oldBound = psa->rgsabound[0];
  psa->rgsabound[0] = *psaboundNew;
  std::size_t newTotal = 0;
  if (!TotalElements(psa, &newTotal)) {
    psa->rgsabound[0] = oldBound;
    return E_OUTOFMEMORY;
  }
  auto* data = static_cast<char*>(psa->pvData);
  if (newTotal < oldTotal) ClearElements(psa, data + newTotal * psa->cbElements, oldTotal - newTotal);
  auto* resized = static_cast<char*>(std::realloc(data, (newTotal == 0 ? 1 : newTotal) * psa->cbElements));
  if (resized == nullptr) {
    psa->rgsabound[0] = oldBound;
    return E_OUTOFMEMORY;
  }
  if (newTotal > oldTotal) std::memset(resized + oldTotal * psa->cbElements, 0, (newTotal - oldTotal) * psa->cbElements);
  psa->pvData = resized;
  return S_OK;
}

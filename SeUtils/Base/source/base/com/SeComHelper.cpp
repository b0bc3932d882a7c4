// The safe VARIANT / SAFEARRAY holders: ownership, access counting, linking, shape checks and
// typed element setters. Each failure is logged at its own line and returned unchanged.
#include "base/SeComHelper.h"

#include "base/SeErrorHandler.h"
#include "base/SeUtils.h"

namespace {

constexpr LPCWSTR kSource = u"SeComHelper";
constexpr HRESULT kLinkedDetach = HRESULT_FROM_WIN32(ERROR_INVALID_FUNCTION);  // 0x80070001

constexpr SeErrorReporter Report{kSource};

}  // namespace

// ---- CSeSafeVariant ----

CSeSafeVariant::CSeSafeVariant() { VariantInit(&m_variant); }

CSeSafeVariant::~CSeSafeVariant() {
  CSeSafeVariant::Clear();
  VariantClear(&m_variant);
}

HRESULT CSeSafeVariant::Clear() {
  if (m_linked) m_variant.vt = VT_EMPTY;  // the array is not ours to free
  m_linked = false;
  const HRESULT hr = VariantClear(&m_variant);
  return FAILED(hr) ? Report(131, hr, u"CSeSafeVariant::Clear") : S_OK;
}

HRESULT CSeSafeVariant::Detach(VARIANT* out) {
  constexpr LPCWSTR kFunction = u"CSeSafeVariant::Detach";
  if (m_linked) return Report(109, kLinkedDetach, kFunction);
  if (out == nullptr) {
    const HRESULT hr = Clear();
    return FAILED(hr) ? Report(120, hr, kFunction) : S_OK;
  }
  VariantInit(out);
  if (const HRESULT hr = VariantClear(out); FAILED(hr)) return Report(115, hr, kFunction);
  // Access the caller cannot balance would keep the array locked forever: balance it first.
  while (m_accessCount > 0 && (m_variant.vt & VT_ARRAY) && m_variant.parray) {
    if (FAILED(SafeArrayUnaccessData(m_variant.parray))) break;
    --m_accessCount;
  }
  m_accessCount = 0;
  *out = m_variant;
  m_variant.vt = VT_EMPTY;
  return S_OK;
}

HRESULT CSeSafeVariant::CheckVariant() {
  const HRESULT hr = VariantIsValid(m_variant);
  return FAILED(hr) ? Report(148, hr, u"CSeSafeVariant::CheckVariant") : S_OK;
}

// ---- CSeSafeArrayBase ----

CSeSafeArrayBase::~CSeSafeArrayBase() { CSeSafeArrayBase::Clear(); }

HRESULT CSeSafeArrayBase::Clear() {
  constexpr LPCWSTR kFunction = u"CSeSafeArrayBase::Clear";
  if (HasArray()) {
    while (m_accessCount > 0) {
      if (const HRESULT hr = UnaccessData(); FAILED(hr)) return Report(548, hr, kFunction);
    }
    if (!m_linked) {
      if (const HRESULT hr = SafeArrayDestroy(m_variant.parray); FAILED(hr)) return Report(553, hr, kFunction);
      m_variant.vt = VT_EMPTY;
    }
  }
  const HRESULT hr = CSeSafeVariant::Clear();
  return FAILED(hr) ? Report(558, hr, kFunction) : S_OK;
}

HRESULT CSeSafeArrayBase::AllocNewArray(VARTYPE elementType, UINT dimensions, const ULONG* counts) {
  constexpr LPCWSTR kFunction = u"CSeSafeArrayBase::AllocNewArray";
  SAFEARRAYBOUND bounds[8] = {};
  if (dimensions == 0 || dimensions > 8 || counts == nullptr) return Report(199, E_OUTOFMEMORY, kFunction);
  for (UINT d = 0; d < dimensions; ++d) bounds[d] = SAFEARRAYBOUND{counts[d], 0};
  SAFEARRAY* array = SafeArrayCreate(elementType, dimensions, bounds);
  if (array == nullptr) return Report(199, E_OUTOFMEMORY, kFunction);
  if (const HRESULT hr = Clear(); FAILED(hr)) {
    SafeArrayDestroy(array);  // the old content could not be let go: keep it, drop the new array
    return Report(199, hr, kFunction);
  }
  m_variant.vt = static_cast<VARTYPE>(elementType | VT_ARRAY);
  m_variant.parray = array;
  return S_OK;
}

HRESULT CSeSafeArrayBase::AccessData(void** data) {
  constexpr LPCWSTR kFunction = u"CSeSafeArrayBase::AccessData";
  if (!HasArray()) return Report(565, E_INVALIDARG, kFunction);
  if (const HRESULT hr = SafeArrayAccessData(m_variant.parray, data); FAILED(hr)) return Report(567, hr, kFunction);
  ++m_accessCount;
  return S_OK;
}

HRESULT CSeSafeArrayBase::UnaccessData() {
  constexpr LPCWSTR kFunction = u"CSeSafeArrayBase::UnaccessData";
  if (!HasArray()) return Report(575, E_INVALIDARG, kFunction);
  if (const HRESULT hr = SafeArrayUnaccessData(m_variant.parray); FAILED(hr)) return Report(577, hr, kFunction);
  --m_accessCount;
  return S_OK;
}

HRESULT CSeSafeArrayBase::LinkTo(SAFEARRAY* foreign) {
  constexpr LPCWSTR kFunction = u"CSeSafeArrayBase::LinkTo";
  if (const HRESULT hr = Clear(); FAILED(hr)) return Report(586, hr, kFunction);
  VARTYPE elementType = VT_EMPTY;
  if (const HRESULT hr = SafeArrayGetVartype(foreign, &elementType); FAILED(hr)) return Report(588, hr, kFunction);
  m_variant.vt = static_cast<VARTYPE>(elementType | VT_ARRAY);
  m_variant.parray = foreign;
  m_linked = true;
  return S_OK;
}

HRESULT CSeSafeArrayBase::VariantIsValid(const VARIANT& value) {
  constexpr LPCWSTR kFunction = u"CSeSafeArrayBase::VariantIsValid";
  if (!HasArray()) return S_OK;
  if (const HRESULT hr = CheckVarType(static_cast<VARTYPE>(value.vt & ~VT_ARRAY)); FAILED(hr)) {
    return Report(181, hr, kFunction);
  }
  if (!(value.vt & VT_ARRAY) || value.parray == nullptr) return Report(183, E_INVALIDARG, kFunction);
  return S_OK;
}

HRESULT CSeSafeArrayBase::internalUpperBound(LONG& size) {
  size = 0;
  if (!HasArray()) return S_OK;
  LONG upper = 0;
  if (const HRESULT hr = SafeArrayGetUBound(m_variant.parray, 1, &upper); FAILED(hr)) {
    return Report(246, hr, u"CSeSafeArrayBase::internalUpperBound");
  }
  size = upper + 1;
  return S_OK;
}

HRESULT CSeSafeArrayBase::internalSetArrayElement(LONG* indices, const VARIANT& value) {
  constexpr LPCWSTR kFunction = u"CSeSafeArrayBase::internalSetArrayElement";
  if (!HasArray()) return Report(407, E_INVALIDARG, kFunction);
  const VARTYPE elementType = GetElementType();
  SAFEARRAY* array = m_variant.parray;
  auto put = [&](INT line, void* element) {
    const HRESULT hr = SafeArrayPutElement(array, indices, element);
    return FAILED(hr) ? Report(line, hr, kFunction) : S_OK;
  };
  VARIANT& v = const_cast<VARIANT&>(value);  // the platform call takes a non-const pointer; it copies
  if (elementType == VT_VARIANT) return put(411, &v);
  if (value.vt != elementType) return Report(407, E_INVALIDARG, kFunction);
  switch (elementType) {
    case VT_UI1: return put(419, &v.bVal);
    case VT_I4: return put(423, &v.lVal);
    case VT_I8: return put(428, &v.llVal);
    case VT_R8: return put(436, &v.dblVal);
    case VT_BSTR: return put(440, v.bstrVal);
    case VT_BOOL: return put(444, &v.boolVal);
    case VT_UNKNOWN: return put(448, v.punkVal);
    default: return Report(451, E_NOTIMPL, kFunction);
  }
}

HRESULT CSeSafeArrayBase::internalSetArrayElement(LONG* indices, INT value) {
  constexpr LPCWSTR kFunction = u"CSeSafeArrayBase::internalSetArrayElement";
  if (!HasArray() || GetElementType() != VT_I4) return Report(496, E_INVALIDARG, kFunction);
  LONG element = value;
  const HRESULT hr = SafeArrayPutElement(m_variant.parray, indices, &element);
  return FAILED(hr) ? Report(498, hr, kFunction) : S_OK;
}

HRESULT CSeSafeArrayBase::internalSetArrayElement(LONG* indices, LPCWSTR text) {
  constexpr LPCWSTR kFunction = u"CSeSafeArrayBase::internalSetArrayElement";
  if (!HasArray() || GetElementType() != VT_BSTR) return Report(461, E_INVALIDARG, kFunction);
  BSTR element = SysAllocString(text ? text : u"");
  if (element == nullptr) return Report(463, E_OUTOFMEMORY, kFunction);
  const HRESULT hr = SafeArrayPutElement(m_variant.parray, indices, element);  // stores a copy
  SysFreeString(element);
  return FAILED(hr) ? Report(463, hr, kFunction) : S_OK;
}

HRESULT CSeSafeArrayBase::internalSetArrayElement(LONG* indices, const std::u16string& text) {
  const HRESULT hr = internalSetArrayElement(indices, text.c_str());
  return FAILED(hr) ? Report(473, hr, u"CSeSafeArrayBase::internalSetArrayElement") : S_OK;
}

// ---- CSeSafeVector ----

HRESULT CSeSafeVector::AllocNew(VARTYPE elementType, ULONG count) {
  const HRESULT hr = AllocNewArray(elementType, 1, &count);
  return FAILED(hr) ? Report(645, hr, u"CSeSafeVector::AllocNew") : S_OK;
}

HRESULT CSeSafeVector::CheckVarType(VARTYPE elementType) {
  switch (elementType) {
    case VT_I4: case VT_R8: case VT_BSTR: case VT_BOOL: case VT_VARIANT: case VT_UNKNOWN: case VT_UI1: case VT_I8:
      return S_OK;
    default:
      return Report(621, E_INVALIDARG, u"CSeSafeVector::CheckVarType");
  }
}

HRESULT CSeSafeVector::VariantIsValid(const VARIANT& value) {
  constexpr LPCWSTR kFunction = u"CSeSafeVector::VariantIsValid";
  if (const HRESULT hr = CSeSafeArrayBase::VariantIsValid(value); FAILED(hr)) return Report(629, hr, kFunction);
  if (!HasArray()) return S_OK;
  if (SafeArrayGetDim(value.parray) != 1) return Report(633, E_INVALIDARG, kFunction);
  LONG lower = 0;
  if (const HRESULT hr = SafeArrayGetLBound(value.parray, 1, &lower); FAILED(hr)) return Report(636, hr, kFunction);
  return lower == 0 ? S_OK : Report(638, E_INVALIDARG, kFunction);
}

HRESULT CSeSafeVector::GetVectorSize(LONG& count) {
  const HRESULT hr = internalUpperBound(count);
  return FAILED(hr) ? Report(683, hr, u"CSeSafeVector::GetVectorSize") : S_OK;
}

HRESULT CSeSafeVector::SetVectorElement(LONG index, INT value) {
  const HRESULT hr = internalSetArrayElement(&index, value);
  return FAILED(hr) ? Report(732, hr, u"CSeSafeVector::SetVectorElement") : S_OK;
}

HRESULT CSeSafeVector::SetVectorElement(LONG index, LPCWSTR text) {
  const HRESULT hr = internalSetArrayElement(&index, text);
  return FAILED(hr) ? Report(730, hr, u"CSeSafeVector::SetVectorElement") : S_OK;
}

HRESULT CSeSafeVector::SetVectorElement(LONG index, const VARIANT& value) {
  const HRESULT hr = internalSetArrayElement(&index, value);
  return FAILED(hr) ? Report(734, hr, u"CSeSafeVector::SetVectorElement") : S_OK;
}

// ---- CSeConfigParamArray ----

HRESULT CSeConfigParamArray::AllocNew(ULONG count) {
  const ULONG counts[2] = {2, count};
  const HRESULT hr = AllocNewArray(VT_VARIANT, 2, counts);
  return FAILED(hr) ? Report(917, hr, u"CSeConfigParamArray::AllocNew") : S_OK;
}

HRESULT CSeConfigParamArray::CheckVarType(VARTYPE elementType) {
  return elementType == VT_VARIANT ? S_OK : Report(884, E_INVALIDARG, u"CSeConfigParamArray::CheckVarType");
}

HRESULT CSeConfigParamArray::VariantIsValid(const VARIANT& value) {
  constexpr LPCWSTR kFunction = u"CSeConfigParamArray::VariantIsValid";
  if (const HRESULT hr = CSeSafeArrayBase::VariantIsValid(value); FAILED(hr)) return Report(892, hr, kFunction);
  if (!HasArray()) return S_OK;
  SAFEARRAY* array = value.parray;
  if (SafeArrayGetDim(array) != 2) return Report(896, E_INVALIDARG, kFunction);
  struct BoundCheck {
    bool upper;
    UINT dimension;
    LONG expected;
    INT readLine, valueLine;
  };
  const BoundCheck checks[] = {{false, 1, 0, 899, 901}, {true, 1, 1, 903, 905}, {false, 2, 0, 907, 909}};
  for (const BoundCheck& check : checks) {
    LONG bound = 0;
    const HRESULT hr = check.upper ? SafeArrayGetUBound(array, check.dimension, &bound)
                                   : SafeArrayGetLBound(array, check.dimension, &bound);
    if (FAILED(hr)) return Report(check.readLine, hr, kFunction);
    if (bound != check.expected) return Report(check.valueLine, E_INVALIDARG, kFunction);
  }
  return S_OK;
}

HRESULT CSeConfigParamArray::SetVectorElement(LONG index, LPCWSTR name, const VARIANT& value) {
  constexpr LPCWSTR kFunction = u"CSeConfigParamArray::SetVectorElement";
  VARIANT nameValue;
  VariantInit(&nameValue);
  if (const HRESULT hr = SeTypeToVariant(name, &nameValue); FAILED(hr)) return Report(1055, hr, kFunction);
  LONG nameAt[2] = {0, index};
  const HRESULT named = internalSetArrayElement(nameAt, nameValue);
  VariantClear(&nameValue);
  if (FAILED(named)) return Report(1055, named, kFunction);
  LONG valueAt[2] = {1, index};
  const HRESULT hr = internalSetArrayElement(valueAt, value);
  return FAILED(hr) ? Report(1057, hr, kFunction) : S_OK;
}

namespace {

// Converts a typed value with SeTypeToVariant and stores it, logging a failure at `line`.
template <class T>
HRESULT SetConverted(CSeConfigParamArray& array, LONG index, LPCWSTR name, T value, INT line) {
  VARIANT converted;
  VariantInit(&converted);
  HRESULT hr = SeTypeToVariant(value, &converted);
  if (SUCCEEDED(hr)) hr = array.SetVectorElement(index, name, converted);
  VariantClear(&converted);
  return FAILED(hr) ? Report(line, hr, u"CSeConfigParamArray::SetVectorElement") : S_OK;
}

}  // namespace

HRESULT CSeConfigParamArray::SetVectorElement(LONG index, LPCWSTR name, INT value) {
  return SetConverted(*this, index, name, value, 1089);
}

HRESULT CSeConfigParamArray::SetVectorElement(LONG index, LPCWSTR name, LPCWSTR value) {
  return SetConverted(*this, index, name, value, 1085);
}

HRESULT CSeConfigParamArray::SetVectorElement(LONG index, LPCWSTR name, bool value) {
  return SetConverted(*this, index, name, value, 1092);
}

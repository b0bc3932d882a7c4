// Filling the VARIANT of a property value: 32-bit integer, double, boolean, or a text copied
// into a new BSTR (E_OUTOFMEMORY when it cannot be allocated, the VARIANT then untouched).
#pragma once

#include <oleauto.h>

#include <cstdint>
#include <string_view>

namespace PropertyValues {

inline void SetI4(VARIANT& value, int32_t number) {
  value.vt = VT_I4;
  value.lVal = number;
}

inline void SetR8(VARIANT& value, double number) {
  value.vt = VT_R8;
  value.dblVal = number;
}

inline void SetBool(VARIANT& value, bool on) {
  value.vt = VT_BOOL;
  value.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
}

inline HRESULT SetText(VARIANT& value, std::u16string_view text) {
  BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (copy == nullptr) return E_OUTOFMEMORY;
  value.vt = VT_BSTR;
  value.bstrVal = copy;
  return S_OK;
}

}  // namespace PropertyValues

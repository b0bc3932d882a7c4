// Internal facts about VARTYPE codes shared by the VARIANT, SAFEARRAY and conversion services:
// which codes are valid where, and how many bytes one value of a type occupies.
#pragma once

#include "oleauto.h"

namespace zplatform::automation::detail {

// Bytes one element of base type vt occupies in a SAFEARRAY; 0 for types arrays cannot hold.
inline ULONG ElementSize(VARTYPE vt) {
  switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return 4;
    case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE: return 8;
    case VT_BSTR: case VT_UNKNOWN: case VT_DISPATCH: return sizeof(void*);
    case VT_DECIMAL: return sizeof(DECIMAL);
    case VT_VARIANT: return sizeof(VARIANT);
    default: return 0;
  }
}

// A VARIANT may hold vt: a scalar base type, optionally VT_BYREF and/or VT_ARRAY.
inline bool IsValidVariantType(VARTYPE vt) {
  if (vt & (VT_VECTOR | VT_RESERVED)) return false;
  const VARTYPE base = vt & VT_TYPEMASK;
  const bool decorated = (vt & (VT_BYREF | VT_ARRAY)) != 0;
  if (base == VT_EMPTY || base == VT_NULL) return !decorated;
  if (base == VT_VARIANT) return decorated;
  return ElementSize(base) != 0;
}

}  // namespace zplatform::automation::detail

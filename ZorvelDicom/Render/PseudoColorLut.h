// Pseudo colours of fluorescence channels as hosts receive them: the brightest colour packed into
// one 32-bit value and a library colour table turned into a one-dimensional SAFEARRAY.
// Stateless and thread-safe; failures are reported once and returned, the out VARIANT untouched.
#pragma once

#include <oleauto.h>

#include <cstdint>

// The brightest pseudo colour (a, b, c in the library's order) as a + b·256 + c·65536 when all
// fit 8 bits, else the high byte of each value in the same places.
int32_t PackMaxPseudoColor(uint16_t a, uint16_t b, uint16_t c);

// n = 256: VT_ARRAY|VT_UI1 holding the low byte of every entry; otherwise VT_ARRAY|VT_UI2 holding
// the entries. Lower bound 0; `out` (not cleared here) owns the array on success.
HRESULT CreateFinalPseudoColorLut(const uint16_t* entries, uint32_t n, VARIANT& out);

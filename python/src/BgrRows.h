// Rows of 8-bit B, G, R pixels turned into R, G, B or R, G, B, A (A = 255): the one pass of pixel
// conversion between a rendered bitmap and the caller's array. Byte shuffles where the processor
// has SSSE3, a plain loop elsewhere; both give the same bytes. Pure, free-threaded.
#pragma once

#include <cstdint>

namespace zorvel_py {

// Writes `count` pixels of `channels` (3 or 4) bytes to `out` from `count` B, G, R pixels at `bgr`.
// The two ranges must not overlap.
void BgrToRgbRow(const std::uint8_t* bgr, std::uint8_t* out, std::int64_t count, int channels);

}  // namespace zorvel_py

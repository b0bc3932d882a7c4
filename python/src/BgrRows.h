// Rows of 8-bit B, G, R pixels turned into R, G, B or R, G, B, A (A = 255): the one pass of pixel
// conversion between a rendered bitmap and the caller's array. Byte permutations of 64 bytes
// (AVX-512 VBMI) or 16 bytes (SSSE3) where the processor has them, a plain loop elsewhere; every
// kernel gives the same bytes and touches no byte outside the two rows. Pure, free-threaded.
#pragma once

#include <cstdint>

namespace zorvel_py {

enum class RowKernel { kPlain, kSsse3, kVbmi };

// The fastest kernel this processor runs (looked up once).
RowKernel BestRowKernel();
bool ProcessorRuns(RowKernel kernel);

// Writes `count` pixels of `channels` (3 or 4) bytes to `out` from `count` B, G, R pixels at `bgr`,
// with the best kernel or the one named. The two ranges must not overlap.
void BgrToRgbRow(const std::uint8_t* bgr, std::uint8_t* out, std::int64_t count, int channels);
void BgrToRgbRow(RowKernel kernel, const std::uint8_t* bgr, std::uint8_t* out, std::int64_t count, int channels);

}  // namespace zorvel_py

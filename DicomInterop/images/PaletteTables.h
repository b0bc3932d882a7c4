// Pseudo-colour tables of a fluorescence channel from its palette colour LUT (or a grey ramp
// when the channel has none). Pure functions; no I/O.
#pragma once

#include <cstdint>
#include <vector>

#include "../dataset/InstanceInfo.h"

namespace dicominterop {

// 16-bit colour component (0 red, 1 green, 2 blue) that the palette gives sample value `v`.
uint16_t PaletteColour(const PaletteLut& lut, int component, uint32_t v, uint16_t bitsStored);

// Reduced (or bitsStored <= 8): 256 entries of 8-bit values sampling the full input range;
// otherwise 2^bitsStored entries of 16-bit values.
std::vector<uint16_t> PseudoColourTable(const PaletteLut& lut, int component, bool reduced, uint16_t bitsStored);

}  // namespace dicominterop

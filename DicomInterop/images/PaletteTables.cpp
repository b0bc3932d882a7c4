// Pseudo-colour tables from palette colour LUTs (see PaletteTables.h). Inputs below the first
// mapped value take the first entry, inputs past the table the last one (PS3.3 C.7.6.3.1.5).
#include "PaletteTables.h"

#include <algorithm>

namespace dicominterop {
namespace {

uint32_t MaxValue(uint16_t bitsStored) {
  const uint16_t bits = std::clamp<uint16_t>(bitsStored, 1, 16);
  return (1u << bits) - 1;
}

}  // namespace

uint16_t PaletteColour(const PaletteLut& lut, int component, uint32_t v, uint16_t bitsStored) {
  if (!lut.Valid()) return static_cast<uint16_t>(uint64_t{v} * 65535 / MaxValue(bitsStored));
  const std::vector<uint16_t>& table = component == 0 ? lut.red : component == 1 ? lut.green : lut.blue;
  const int64_t index = std::clamp<int64_t>(int64_t{v} - lut.firstMapped, 0, int64_t{lut.entryCount} - 1);
  return table[static_cast<size_t>(index)];
}

std::vector<uint16_t> PseudoColourTable(const PaletteLut& lut, int component, bool reduced, uint16_t bitsStored) {
  const uint32_t maxValue = MaxValue(bitsStored);
  std::vector<uint16_t> table;
  if (reduced || maxValue <= 255) {
    table.resize(256);
    for (uint32_t i = 0; i < 256; ++i) {
      const uint32_t v = (i * maxValue + 127) / 255;
      table[i] = static_cast<uint16_t>(PaletteColour(lut, component, v, bitsStored) >> 8);
    }
  } else {
    table.resize(size_t{maxValue} + 1);
    for (uint32_t v = 0; v <= maxValue; ++v) table[v] = PaletteColour(lut, component, v, bitsStored);
  }
  return table;
}

}  // namespace dicominterop

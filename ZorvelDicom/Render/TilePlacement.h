// Writing one decoded source tile (or its clipped part) into the locked output bytes: straight
// copies, 16-to-8-bit reduction, one channel into its byte slot, and the box average for 2^d shrinking.
// Callers give each tile a footprint of its own, so concurrent calls write disjoint bytes.
#pragma once

#include <cstdint>

#include "Render/RegionGeometry.h"

namespace Render {

// The locked output bitmap: lines of `stride` bytes, 3 samples per pixel of outputBytes each.
struct OutputPixels {
  uint8_t* bits = nullptr;
  int64_t stride = 0;
  int outputBytes = 1;  // 1 (24-bit) or 2 (48-bit)
};

// A decoded source tile: lines of `stride` bytes, `samples` per pixel of sourceBytes each.
struct SourcePixels {
  const uint8_t* bytes = nullptr;
  int64_t stride = 0;
  int64_t width = 0, height = 0;  // SW, SH
  int samples = 3;                // 3 (colour) or 1 (one channel)
  int sourceBytes = 1;            // 1 or 2 (little-endian)
};

// Which kernel a tile takes; the names say what each one does.
enum class PlacementKind {
  Copy3Channels,
  Copy3ChannelsWithColorReduction,
  CopyShrinked3Channels,
  CopyFluor,
  CopyFluorWithColorReduction,
  CopyShrinkedFluor
};

PlacementKind ChoosePlacement(int samples, int shift, bool reduce, int sourceBytes);

// Places the tile into the footprint. slot: the byte slot (channel mod 3) of a one-sample tile.
void PlaceTile(PlacementKind kind, const OutputPixels& out, const SourcePixels& source,
               const TileFootprint& footprint, int shift, int slot);

// Sets the footprint's pixels to value (a tile the slide does not have): the one sample of byte
// slot `slot`, or all three samples when slot is negative.
void FillFootprint(const OutputPixels& out, const TileFootprint& footprint, uint8_t value, int slot = -1);

// Paints what the slide does not cover: everything when the request misses the slide, else the
// lines above it, the bytes left and right of it and the lines below it. lockedBytes bounds all.
void PaintBackground(const OutputPixels& out, const BackgroundLayout& layout, uint64_t lockedBytes, uint8_t value);

}  // namespace Render

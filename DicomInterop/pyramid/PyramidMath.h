// Pure pyramid and tiling arithmetic: level numbers from widths, tile grid sizes, and the
// TILED_FULL frame order (column fastest, then row, focal plane, optical path). No I/O.
#pragma once

#include <cstdint>

namespace dicominterop {

// round(log2(level0Width / width)); -1 when either width is 0 or the image is wider than level 0.
int32_t PyramidLevelOf(uint32_t level0Width, uint32_t width);

// Tiles needed to cover `total` pixels with tiles of `tile` pixels (0 when tile is 0).
uint32_t TileCount(uint32_t total, uint32_t tile);

struct FullTileAddress {
  uint32_t column, row, plane, path;
};

// Address of frame `frame` (0-based, counting from the first frame of a concatenation).
FullTileAddress TiledFullAddress(uint64_t frame, uint32_t across, uint32_t down, uint32_t planes);

}  // namespace dicominterop

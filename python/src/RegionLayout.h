// Region arithmetic of read_region: which 256 x 256 grid tiles of a level cover the part of a
// requested region that lies inside the level, how they are split into bands that fit one bitmap,
// and the copy of rendered B, G, R pixels into the caller's R, G, B(, A) memory. Pure, no I/O.
#pragma once

#include <cstddef>
#include <cstdint>

#include "RegionArithmetic.h"

namespace zorvel_py {

using zorvel_cli::kGridTile;  // the module renders whole grid tiles of this size

struct RegionRequest {
  std::int32_t level = 0;                              // the module's zoom level
  std::int64_t x = 0, y = 0, width = 0, height = 0;    // level pixels; any position, any size >= 0
  std::int64_t levelWidth = 0, levelHeight = 0;        // the level's size in pixels
};

// Caller memory that receives the region: `height` rows of `width` pixels, `rowStride` bytes apart.
struct DestinationLayout {
  std::uint8_t* pixels = nullptr;  // pixel (0, 0) of the region
  std::ptrdiff_t rowStride = 0;
  int channels = 3;                // 3: R, G, B; 4: R, G, B, A (A written 255 where the slide is)
  int bytesPerSample = 1;          // 1 or 2 (native-endian 16-bit samples)
};

// The part of a region inside the level and the grid tiles that cover it.
struct GridCover {
  bool empty = true;
  std::int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;            // level pixels inside the level, ends exclusive
  std::int64_t column0 = 0, row0 = 0, column1 = 0, row1 = 0;  // grid tiles, inclusive
};

GridCover CoverRegion(const RegionRequest& region);

// Rows of grid tiles per GetImage call so that one bitmap stays below `maxBytes`.
std::int64_t GridRowsPerBand(const GridCover& cover, int bitmapBytesPerSample, std::int64_t maxBytes);

// A rendered bitmap: B, G, R pixels with 1 or 2 bytes per sample, whose pixel (0, 0) is level pixel
// (originX, originY).
struct RenderedBitmap {
  const std::uint8_t* bits = nullptr;
  std::ptrdiff_t stride = 0;
  int bytesPerSample = 1;
  std::int64_t originX = 0, originY = 0;
};

// Copies level pixels [x0, x1) x [y0, y1) from `source` into `destination`, whose pixel (0, 0) is
// level pixel (regionX, regionY), turning B, G, R into R, G, B and 16-bit samples into their high
// byte when the destination has 1 byte per sample.
void CopyRendered(const RenderedBitmap& source, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                  const DestinationLayout& destination, std::int64_t regionX, std::int64_t regionY);

}  // namespace zorvel_py

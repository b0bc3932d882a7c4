// Pure arithmetic of a region request: the grid-tile range clipped against the level, the source
// tiles it needs, where each source tile lands in the output and which output bytes are background.
// No I/O, no locks; every coordinate is a 64-bit signed number so that no host value overflows.
#pragma once

#include <cstdint>

namespace Render {

// The request in grid tiles of the requested level and the geometry of the level that is read.
struct RegionRequest {
  int64_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // grid tiles, inclusive, as the host gave them
  int shift = 0;                           // d: the level read is 2^d times finer
  int64_t levelWidth = 0, levelHeight = 0;  // LW, LH: the level's size at the requested zoom
  int64_t gridWidth = 256, gridHeight = 256;  // TW, TH
  int64_t tileWidth = 256, tileHeight = 256;  // SW, SH: source tiles of the level read
};

// The clipped range (x1'..x2', y1'..y2') and the source tiles c0..c1 x r0..r1 behind it.
struct ClippedRegion {
  bool intersects = false;  // some requested pixel lies on the level
  bool single = false;      // one grid tile at a non-negative position
  int64_t c0 = 0, c1 = -1, r0 = 0, r1 = -1;
  int64_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

ClippedRegion ClipRegion(const RegionRequest& request);

// The output rectangle a source tile fills and the source pixels that precede it in the tile.
// Output pixel X belongs to the source tile that holds its first source pixel, so neighbouring
// tiles never write the same byte; its block is at most 2^d source pixels and never leaves the tile.
struct TileFootprint {
  int64_t x0 = 0, xLast = -1;  // output columns relative to output pixel (0, 0), inclusive
  int64_t y0 = 0, yLast = -1;  // output lines
  int64_t skipX = 0, skipY = 0;  // source columns and rows of the tile before the block of (x0, y0)
  bool empty() const { return xLast < x0 || yLast < y0; }
};

TileFootprint ComputeFootprint(const RegionRequest& request, const ClippedRegion& clipped, int64_t column,
                               int64_t row);

// Output size and the byte ranges of each line that the slide does not cover.
struct BackgroundLayout {
  int64_t width = 0, height = 0;   // W, H in pixels
  int64_t rowBytes = 0;            // W * 3 * output bytes per sample
  int64_t topLines = 0;            // lines above the slide
  int64_t leftBytes = 0;           // bytes left of the slide on the other lines
  int64_t validRowBytes = 0;       // bytes of a line up to the level's right edge
  int64_t validRows = 0;           // lines up to the level's bottom edge
  bool intersects = false;
};

BackgroundLayout ComputeBackground(const RegionRequest& request, bool intersects, int outputBytesPerSample);

}  // namespace Render

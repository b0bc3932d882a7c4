// Clipping, tile footprints and the background layout of a region request, in 64-bit arithmetic.
#include "Render/RegionGeometry.h"

#include <algorithm>

namespace Render {
namespace {

// Floor and ceiling of a / 2^shift for any sign of a.
int64_t FloorShift(int64_t a, int shift) { return a >> shift; }
int64_t CeilShift(int64_t a, int shift) { return -((-a) >> shift); }

struct AxisClip {
  bool intersects = true;
  int64_t first = 0, last = -1;            // source tiles
  int64_t clippedFirst = 0, clippedLast = 0;  // grid tiles
};

AxisClip ClipAxis(int64_t g1, int64_t g2, int64_t grid, int64_t level, int64_t tile, int shift) {
  AxisClip axis;
  axis.intersects = !(g1 < 0 && g2 < 0);
  axis.first = (grid * g1 * (int64_t{1} << shift)) / tile;
  axis.last = ((std::min(grid * (g2 + 1), level) - 1) * (int64_t{1} << shift)) / tile;
  if ((axis.first < 0 && axis.last < 0) || grid * g1 > level - 1) axis.intersects = false;
  axis.first = std::max<int64_t>(axis.first, 0);
  axis.clippedLast = grid * g2 > level - 1 ? (level - 1) / grid : g2;
  axis.clippedFirst = std::min(std::max<int64_t>(g1, 0), axis.clippedLast);
  return axis;
}

struct AxisFootprint {
  int64_t first = 0, last = -1, skip = 0;
};

// Output pixels (relative to the requested origin) whose first source pixel lies in source tile
// `index`; origin is the clipped origin in grid tiles, requested the requested one.
AxisFootprint FootprintAxis(int64_t index, int64_t tile, int64_t grid, int64_t clippedFirst, int64_t clippedLast,
                            int64_t requestedFirst, int64_t level, int shift) {
  const int64_t originFine = grid * clippedFirst * (int64_t{1} << shift);
  const int64_t tileStart = index * tile - originFine;  // fine pixels from the clipped origin
  AxisFootprint axis;
  axis.first = std::max<int64_t>(CeilShift(tileStart, shift), 0);
  axis.skip = axis.first * (int64_t{1} << shift) - tileStart;
  const int64_t valid = std::min(level - grid * clippedFirst, (clippedLast - clippedFirst + 1) * grid);
  axis.last = std::min(valid - 1, FloorShift(tileStart + tile - 1, shift));
  const int64_t moved = (clippedFirst - requestedFirst) * grid;
  axis.first += moved;
  axis.last += moved;
  return axis;
}

// Grid tiles of the request before tile 0 (left of or above the slide).
int64_t TilesBeforeZero(int64_t g1, int64_t g2) { return g1 < 0 ? std::min<int64_t>(g2, -1) - g1 + 1 : 0; }

}  // namespace

ClippedRegion ClipRegion(const RegionRequest& r) {
  const AxisClip x = ClipAxis(r.x1, r.x2, r.gridWidth, r.levelWidth, r.tileWidth, r.shift);
  const AxisClip y = ClipAxis(r.y1, r.y2, r.gridHeight, r.levelHeight, r.tileHeight, r.shift);
  ClippedRegion clipped;
  clipped.intersects = x.intersects && y.intersects;
  clipped.single = r.x1 == r.x2 && r.y1 == r.y2 && r.x1 >= 0 && r.y1 >= 0;
  clipped.c0 = x.first;
  clipped.c1 = x.last;
  clipped.r0 = y.first;
  clipped.r1 = y.last;
  clipped.x1 = x.clippedFirst;
  clipped.x2 = x.clippedLast;
  clipped.y1 = y.clippedFirst;
  clipped.y2 = y.clippedLast;
  return clipped;
}

TileFootprint ComputeFootprint(const RegionRequest& r, const ClippedRegion& c, int64_t column, int64_t row) {
  const AxisFootprint x =
      FootprintAxis(column, r.tileWidth, r.gridWidth, c.x1, c.x2, r.x1, r.levelWidth, r.shift);
  const AxisFootprint y =
      FootprintAxis(row, r.tileHeight, r.gridHeight, c.y1, c.y2, r.y1, r.levelHeight, r.shift);
  TileFootprint footprint;
  footprint.x0 = x.first;
  footprint.xLast = x.last;
  footprint.skipX = x.skip;
  footprint.y0 = y.first;
  footprint.yLast = y.last;
  footprint.skipY = y.skip;
  return footprint;
}

// A request wholly right of or below the level has no valid bytes: it is all background.
BackgroundLayout ComputeBackground(const RegionRequest& r, bool intersects, int outputBytesPerSample) {
  const int64_t pixelBytes = 3 * int64_t{outputBytesPerSample};
  BackgroundLayout layout;
  layout.intersects = intersects;
  layout.width = (r.x2 - r.x1 + 1) * r.gridWidth;
  layout.height = (r.y2 - r.y1 + 1) * r.gridHeight;
  layout.rowBytes = layout.width * pixelBytes;
  layout.validRowBytes = std::max<int64_t>(std::min(layout.width, r.levelWidth - r.gridWidth * r.x1), 0) * pixelBytes;
  layout.validRows = std::max<int64_t>(std::min(layout.height, r.levelHeight - r.gridHeight * r.y1), 0);
  layout.topLines = std::min(TilesBeforeZero(r.y1, r.y2) * r.gridHeight, layout.validRows);
  layout.leftBytes = std::min(TilesBeforeZero(r.x1, r.x2) * r.gridWidth * pixelBytes, layout.validRowBytes);
  return layout;
}

}  // namespace Render

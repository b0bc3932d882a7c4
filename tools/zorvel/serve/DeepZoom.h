// The Deep Zoom tile grid of a slide (pure arithmetic): levels from 1 x 1 pixel up to the full
// resolution, tiles of `tileSize` pixels with `overlap` pixels shared with each neighbour, and
// where a tile lies in the module's zoom levels (level n is level 0 shrunk by 2^n, n up to 9).
#pragma once

#include <cstdint>
#include <optional>

namespace zorvel_serve {

struct DeepZoomGrid {
  std::int64_t width = 0, height = 0;  // level 0 of the slide
  int tileSize = 254, overlap = 1;

  int LevelCount() const;  // Deep Zoom levels; the last is the full resolution
  std::int64_t LevelWidth(int level) const;
  std::int64_t LevelHeight(int level) const;
  std::int64_t Columns(int level) const;
  std::int64_t Rows(int level) const;
};

// A tile's rectangle in its Deep Zoom level and how to render it: from module zoom level
// `moduleLevel` (pixels x, y, width, height of that level), shrunk by a further 2^extraShrink
// when the Deep Zoom level is smaller than module level 9.
struct TilePlan {
  std::int64_t x = 0, y = 0, width = 0, height = 0;  // in the Deep Zoom level
  int moduleLevel = 0;
  int extraShrink = 0;
};

// Empty when the level, column or row lies outside the grid.
std::optional<TilePlan> PlanTile(const DeepZoomGrid& grid, int level, std::int64_t column, std::int64_t row);

}  // namespace zorvel_serve

// Where tile read-ahead goes after a view: the eight neighbouring screens (left, left-above,
// above, right-above, right, right-below, below, left-below), then the same rectangle on the
// neighbouring focus planes, then the view on the next finer level. Pure: rectangles in tiles,
// no I/O.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace Pipeline {

struct TileRectangle {
  int32_t focus = 0;  // library plane, -1 for the extended-focus image
  int32_t zoom = 0;
  int64_t firstColumn = 0, lastColumn = -1, firstRow = 0, lastRow = -1;
};

// The tile columns and rows of a level (a partial tile at the right or bottom edge counts) and
// the tile size in pixels.
struct LevelGrid {
  int64_t columns = 0, rows = 0;
  int64_t tileWidth = 1, tileHeight = 1;
};

// The rectangle cut to the grid; none when nothing of it lies on the grid.
std::optional<TileRectangle> ClipToGrid(TileRectangle rectangle, LevelGrid grid);

class ReadAheadPlanner {
 public:
  // A new view: read-ahead starts again around it.
  void Restart() { m_step = 0; }
  // The next rectangle to read ahead, or none when nothing is left around this view.
  // level: the viewed level's grid; screenColumns, screenRows: tiles of one screen; planes: focal
  // planes of the slide (the extended-focus image has none beside it). The last answer is the
  // view's footprint on the next finer level (zoom - 1): twice its pixels in each direction.
  // openFiner opens that level and gives its grid (none: the slide lacks it); it is called only
  // when the planner gets there, once per view.
  using FinerLevel = std::function<std::optional<LevelGrid>()>;
  std::optional<TileRectangle> Next(const TileRectangle& view, LevelGrid level, int64_t screenColumns,
                                    int64_t screenRows, int32_t planes, const FinerLevel& openFiner);

 private:
  std::optional<TileRectangle> NextPlane(const TileRectangle& view, int32_t planes);
  int m_step = 0;
};

}  // namespace Pipeline

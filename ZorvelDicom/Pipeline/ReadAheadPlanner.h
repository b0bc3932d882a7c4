// Where tile read-ahead goes after a view: the eight neighbouring screens (left, left-above,
// above, right-above, right, right-below, below, left-below), then the same rectangle on the
// neighbouring focus planes. Pure: rectangles in tiles of the viewed level, no I/O.
#pragma once

#include <cstdint>
#include <optional>

namespace Pipeline {

struct TileRectangle {
  int32_t focus = 0;  // library plane, -1 for the extended-focus image
  int32_t zoom = 0;
  int64_t firstColumn = 0, lastColumn = -1, firstRow = 0, lastRow = -1;
};

class ReadAheadPlanner {
 public:
  // A new view: read-ahead starts again around it.
  void Restart() { m_step = 0; }
  // The next rectangle to read ahead, or none when nothing is left around this view.
  // levelColumns, levelRows: tiles of the level; screenColumns, screenRows: tiles of one screen;
  // planes: focal planes of the slide (the extended-focus image has none beside it).
  std::optional<TileRectangle> Next(const TileRectangle& view, int64_t levelColumns, int64_t levelRows,
                                    int64_t screenColumns, int64_t screenRows, int32_t planes);

 private:
  bool Skips(const TileRectangle& view, int64_t levelColumns, int64_t levelRows) const;
  int m_step = 0;
};

}  // namespace Pipeline

// Read-ahead rectangles around the last view: neighbouring screens clipped to the level, the
// planes above and below, then the view's footprint on the next finer level; steps with nothing
// on the level are skipped.
#include "Pipeline/ReadAheadPlanner.h"

#include <algorithm>

namespace Pipeline {
namespace {

constexpr int kNeighbourSteps = 8;
constexpr int kFinerStep = 10;
constexpr int kLastStep = 11;
// Column and row direction of each neighbouring screen, in step order.
constexpr int kDx[kNeighbourSteps] = {-1, -1, 0, 1, 1, 1, 0, -1};
constexpr int kDy[kNeighbourSteps] = {0, -1, -1, -1, 0, 1, 1, 1};

void Span(int direction, int64_t first, int64_t last, int64_t screen, int64_t& outFirst, int64_t& outLast) {
  outFirst = direction < 0 ? first - screen : direction > 0 ? last + 1 : first;
  outLast = direction < 0 ? first - 1 : direction > 0 ? last + screen : last;
}

// The neighbour of this step lies wholly off the level.
bool Skips(int step, const TileRectangle& v, LevelGrid level) {
  const int dx = kDx[step], dy = kDy[step];
  return (dx < 0 && v.firstColumn <= 0) || (dx > 0 && v.lastColumn >= level.columns - 1) ||
         (dy < 0 && v.firstRow <= 0) || (dy > 0 && v.lastRow >= level.rows - 1);
}

}  // namespace

std::optional<TileRectangle> ClipToGrid(TileRectangle r, LevelGrid grid) {
  r.firstColumn = std::max<int64_t>(r.firstColumn, 0);
  r.firstRow = std::max<int64_t>(r.firstRow, 0);
  r.lastColumn = std::min(r.lastColumn, grid.columns - 1);
  r.lastRow = std::min(r.lastRow, grid.rows - 1);
  if (r.lastColumn < r.firstColumn || r.lastRow < r.firstRow) return std::nullopt;
  return r;
}

std::optional<TileRectangle> ReadAheadPlanner::Next(const TileRectangle& view, LevelGrid level, int64_t screenColumns,
                                                    int64_t screenRows, int32_t planes,
                                                    const FinerLevel& openFiner) {
  while (m_step < kNeighbourSteps) {
    const int step = m_step++;
    if (Skips(step, view, level)) continue;
    TileRectangle next = view;
    Span(kDx[step], view.firstColumn, view.lastColumn, std::max<int64_t>(screenColumns, 1), next.firstColumn,
         next.lastColumn);
    Span(kDy[step], view.firstRow, view.lastRow, std::max<int64_t>(screenRows, 1), next.firstRow, next.lastRow);
    if (auto clipped = ClipToGrid(next, level)) return clipped;
  }
  if (auto plane = NextPlane(view, planes)) return plane;
  const bool finerStep = m_step == kFinerStep && view.zoom > 0;
  m_step = kLastStep;
  if (!finerStep) return std::nullopt;
  const std::optional<LevelGrid> finer = openFiner();
  if (!finer || finer->tileWidth <= 0 || finer->tileHeight <= 0) return std::nullopt;
  TileRectangle next = view;
  next.zoom = view.zoom - 1;
  next.firstColumn = view.firstColumn * level.tileWidth * 2 / finer->tileWidth;
  next.lastColumn = ((view.lastColumn + 1) * level.tileWidth * 2 - 1) / finer->tileWidth;
  next.firstRow = view.firstRow * level.tileHeight * 2 / finer->tileHeight;
  next.lastRow = ((view.lastRow + 1) * level.tileHeight * 2 - 1) / finer->tileHeight;
  return ClipToGrid(next, *finer);
}

// Steps 8 and 9: the plane above, then the plane below (none beside the extended-focus image).
std::optional<TileRectangle> ReadAheadPlanner::NextPlane(const TileRectangle& view, int32_t planes) {
  while (m_step >= kNeighbourSteps && m_step < kFinerStep) {
    const int32_t plane = view.focus + (m_step == kNeighbourSteps ? 1 : -1);
    ++m_step;
    if (view.focus >= 0 && plane >= 0 && plane < planes) {
      TileRectangle next = view;
      next.focus = plane;
      return next;
    }
  }
  return std::nullopt;
}

}  // namespace Pipeline

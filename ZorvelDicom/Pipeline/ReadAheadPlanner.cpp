// Read-ahead rectangles around the last view: neighbouring screens clipped to the level, then
// the planes above and below; steps with nothing on the level are skipped.
#include "Pipeline/ReadAheadPlanner.h"

#include <algorithm>

namespace Pipeline {
namespace {

constexpr int kNeighbourSteps = 8;
constexpr int kLastStep = 10;
// Column and row direction of each neighbouring screen, in step order.
constexpr int kDx[kNeighbourSteps] = {-1, -1, 0, 1, 1, 1, 0, -1};
constexpr int kDy[kNeighbourSteps] = {0, -1, -1, -1, 0, 1, 1, 1};

void Span(int direction, int64_t first, int64_t last, int64_t screen, int64_t count, int64_t& outFirst,
          int64_t& outLast) {
  outFirst = direction < 0 ? first - screen : direction > 0 ? last + 1 : first;
  outLast = direction < 0 ? first - 1 : direction > 0 ? last + screen : last;
  outFirst = std::max<int64_t>(outFirst, 0);
  outLast = std::min(outLast, count - 1);
}

}  // namespace

// A neighbour that lies wholly off the level.
bool ReadAheadPlanner::Skips(const TileRectangle& v, int64_t levelColumns, int64_t levelRows) const {
  const int dx = kDx[m_step], dy = kDy[m_step];
  return (dx < 0 && v.firstColumn <= 0) || (dx > 0 && v.lastColumn >= levelColumns - 1) ||
         (dy < 0 && v.firstRow <= 0) || (dy > 0 && v.lastRow >= levelRows - 1);
}

std::optional<TileRectangle> ReadAheadPlanner::Next(const TileRectangle& view, int64_t levelColumns,
                                                    int64_t levelRows, int64_t screenColumns, int64_t screenRows,
                                                    int32_t planes) {
  while (m_step < kNeighbourSteps && Skips(view, levelColumns, levelRows)) ++m_step;
  if (m_step < kNeighbourSteps) {
    TileRectangle next = view;
    Span(kDx[m_step], view.firstColumn, view.lastColumn, std::max<int64_t>(screenColumns, 1), levelColumns,
         next.firstColumn, next.lastColumn);
    Span(kDy[m_step], view.firstRow, view.lastRow, std::max<int64_t>(screenRows, 1), levelRows, next.firstRow,
         next.lastRow);
    ++m_step;
    return next;
  }
  while (m_step < kLastStep) {
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

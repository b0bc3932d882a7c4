// Read-ahead rectangles around a view: the order of the neighbouring screens, clipping to the
// level, steps skipped at the level's edges, then the neighbouring focus planes.
#include <gtest/gtest.h>

#include <vector>

#include "Pipeline/ReadAheadPlanner.h"

namespace Pipeline {
namespace {

using Rect = std::vector<int64_t>;  // focus, first column, last column, first row, last row

std::vector<Rect> Plan(const TileRectangle& view, int64_t columns, int64_t rows, int32_t planes) {
  ReadAheadPlanner planner;
  std::vector<Rect> plan;
  while (auto next = planner.Next(view, columns, rows, 2, 1, planes)) {
    plan.push_back({next->focus, next->firstColumn, next->lastColumn, next->firstRow, next->lastRow});
  }
  return plan;
}

TEST(ReadAheadPlannerTest, NeighboursThenPlanes) {
  struct Case {
    TileRectangle view;
    int64_t columns, rows;
    int32_t planes;
    std::vector<Rect> expected;
  };
  const Case cases[] = {
      // In the middle of a 10 x 10 level, screens of 2 x 1 tiles, three planes.
      {{1, 0, 4, 5, 4, 4}, 10, 10, 3,
       {{1, 2, 3, 4, 4}, {1, 2, 3, 3, 3}, {1, 4, 5, 3, 3}, {1, 6, 7, 3, 3}, {1, 6, 7, 4, 4}, {1, 6, 7, 5, 5},
        {1, 4, 5, 5, 5}, {1, 2, 3, 5, 5}, {2, 4, 5, 4, 4}, {0, 4, 5, 4, 4}}},
      // Top-left corner of a 3 x 2 level, extended focus: right, right-below and below, clipped.
      {{-1, 0, 0, 1, 0, 0}, 3, 2, 3, {{-1, 2, 2, 0, 0}, {-1, 2, 2, 1, 1}, {-1, 0, 1, 1, 1}}},
      // A view of the whole level on the only plane: nothing around it.
      {{0, 0, 0, 2, 0, 1}, 3, 2, 1, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Plan(c.view, c.columns, c.rows, c.planes), c.expected);
}

}  // namespace
}  // namespace Pipeline

// Read-ahead rectangles around a view: the order of the neighbouring screens, clipping to the
// level, steps skipped at the level's edges, the neighbouring focus planes, then the view's
// footprint on the next finer level.
#include <gtest/gtest.h>

#include <vector>

#include "Pipeline/ReadAheadPlanner.h"

namespace Pipeline {
namespace {

using Rect = std::vector<int64_t>;  // focus, zoom, first column, last column, first row, last row

// Screens of 2 x 1 tiles of 256 pixels; finer: the next finer level's grid (none: absent).
std::vector<Rect> Plan(const TileRectangle& view, LevelGrid level, int32_t planes, std::optional<LevelGrid> finer) {
  ReadAheadPlanner planner;
  std::vector<Rect> plan;
  int opened = 0;
  const auto open = [&] {
    ++opened;
    return finer;
  };
  while (const auto next = planner.Next(view, level, 2, 1, planes, open)) {
    plan.push_back({next->focus, next->zoom, next->firstColumn, next->lastColumn, next->firstRow, next->lastRow});
  }
  EXPECT_LE(opened, 1) << "the finer level is opened once per view";
  return plan;
}

TEST(ReadAheadPlannerTest, NeighboursPlanesThenFinerLevel) {
  struct Case {
    const char* name;
    TileRectangle view;
    LevelGrid level;
    int32_t planes;
    std::optional<LevelGrid> finer;
    std::vector<Rect> expected;
  };
  const Case cases[] = {
      {"MiddleOfLevelOnThreePlanes", {1, 0, 4, 5, 4, 4}, {10, 10, 256, 256}, 3, std::nullopt,
       {{1, 0, 2, 3, 4, 4}, {1, 0, 2, 3, 3, 3}, {1, 0, 4, 5, 3, 3}, {1, 0, 6, 7, 3, 3}, {1, 0, 6, 7, 4, 4},
        {1, 0, 6, 7, 5, 5}, {1, 0, 4, 5, 5, 5}, {1, 0, 2, 3, 5, 5}, {2, 0, 4, 5, 4, 4}, {0, 0, 4, 5, 4, 4}}},
      {"CornerOfExtendedFocusThenFiner", {-1, 2, 0, 1, 0, 0}, {3, 2, 256, 256}, 3, LevelGrid{5, 4, 256, 256},
       {{-1, 2, 2, 2, 0, 0}, {-1, 2, 2, 2, 1, 1}, {-1, 2, 0, 1, 1, 1}, {-1, 1, 0, 3, 0, 1}}},
      // The finer level's edge cuts the doubled footprint.
      {"WholeLevelFinerClipped", {0, 1, 0, 2, 0, 1}, {3, 2, 256, 256}, 1, LevelGrid{5, 3, 256, 256},
       {{0, 0, 0, 4, 0, 2}}},
      // Finer tiles twice as large: the footprint in their units is the view's own tiles.
      {"FinerWithLargerTiles", {0, 1, 0, 2, 0, 1}, {3, 2, 256, 256}, 1, LevelGrid{3, 2, 512, 512},
       {{0, 0, 0, 2, 0, 1}}},
      {"FinerLevelAbsent", {0, 1, 0, 2, 0, 1}, {3, 2, 256, 256}, 1, std::nullopt, {}},
      {"FullResolutionHasNoFiner", {0, 0, 0, 2, 0, 1}, {3, 2, 256, 256}, 1, LevelGrid{6, 4, 256, 256}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(Plan(c.view, c.level, c.planes, c.finer), c.expected) << c.name;
}

}  // namespace
}  // namespace Pipeline

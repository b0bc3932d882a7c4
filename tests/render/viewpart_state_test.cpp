// The order in which a request hands out its tiles, its tile count and its completion.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "Pipeline/ViewpartState.h"

namespace Pipeline {
namespace {

using Visit = std::tuple<int32_t, int32_t, int32_t>;  // channel, column, row

std::shared_ptr<ViewpartState> View(bool tiledFull, int32_t lastChannel, int64_t lastColumn, int64_t lastRow) {
  ViewpartState::Source source;
  source.firstChannel = 0;
  source.lastChannel = lastChannel;
  source.firstColumn = 0;
  source.lastColumn = lastColumn;
  source.firstRow = 0;
  source.lastRow = lastRow;
  return ViewpartState::MakeView(source, nullptr, tiledFull, false);
}

std::vector<Visit> Walk(ViewpartState& request) {
  std::vector<Visit> visits;
  while (!request.IsDone() && visits.size() < 100) {
    const int32_t channel = request.currentChannel;
    int32_t column = 0, row = 0;
    request.NextTile(column, row);
    visits.emplace_back(channel, column, row);
  }
  return visits;
}

TEST(ViewpartStateTest, TileOrders) {
  struct Case {
    bool tiledFull;
    int32_t lastChannel;
    int64_t lastColumn, lastRow;
    std::vector<Visit> expected;
  };
  const Case cases[] = {
      {true, 1, 1, 1, {{0, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1, 1}, {1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 1, 1}}},
      {false, 1, 1, 0, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}},
      {true, 2, 0, 0, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}},
      {false, 2, 0, 0, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}},
      {true, -1, 3, 3, {}},
      {false, 0, -1, 0, {}},
  };
  for (const Case& c : cases) {
    const auto request = View(c.tiledFull, c.lastChannel, c.lastColumn, c.lastRow);
    EXPECT_EQ(Walk(*request), c.expected) << "tiled full " << c.tiledFull;
    EXPECT_EQ(request->tileCount.load(), static_cast<int64_t>(c.expected.size()));
  }
}

TEST(ViewpartStateTest, LastTileDoneFinishesOnceAndFirstErrorStays) {
  const auto request = View(true, 0, 1, 0);
  request->TileDone();
  EXPECT_FALSE(request->IsFinished());
  request->RecordError(E_ACCESSDENIED);
  request->RecordError(E_FAIL);
  request->TileDone();
  EXPECT_TRUE(request->IsFinished());
  request->WaitFinished();
  request->Finish(E_OUTOFMEMORY);
  EXPECT_EQ(request->Error(), E_ACCESSDENIED);
}

}  // namespace
}  // namespace Pipeline

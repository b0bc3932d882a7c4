// Level walks over a scripted slide: which levels open, the level difference, and the trail of
// report lines that the stop code leaves through every walk.
#include <map>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "Slide/ZoomLevelWalks.h"

namespace {

using ZoomLevelWalks::kStopCode;

// A slide whose levels answer with scripted codes; unlisted levels are absent (E_FAIL).
class ScriptedSlide final : public ZoomLevelWalks::ZoomLevelOpener {
 public:
  std::map<std::pair<long, bool>, HRESULT> answers;
  std::vector<std::pair<long, bool>> tried;
  std::vector<int> reportedLines;

  HRESULT OpenNativeZoomImgs(long level, bool extended) override {
    tried.emplace_back(level, extended);
    auto it = answers.find({level, extended});
    return it == answers.end() ? E_FAIL : it->second;
  }
  void ReportWalkFailure(int line, HRESULT, const char16_t*) override { reportedLines.push_back(line); }
};

TEST(ZoomLevelWalks, FallsBackToFinerLevelWithLevelDifference) {
  ScriptedSlide slide;
  slide.answers[{1, false}] = S_OK;
  long difference = -1;
  EXPECT_EQ(ZoomLevelWalks::TryOpenSmallestZoomlevelFound(slide, 3, false, difference), S_OK);
  EXPECT_EQ(difference, 2);
  EXPECT_EQ(slide.tried.size(), 3u);
  EXPECT_TRUE(slide.reportedLines.empty());
}

TEST(ZoomLevelWalks, NothingOpensGivesFailWithoutReport) {
  ScriptedSlide slide;
  long difference = 7;
  EXPECT_EQ(ZoomLevelWalks::TryOpenSmallestZoomlevelFound(slide, 2, true, difference), E_FAIL);
  EXPECT_EQ(difference, 7);
  EXPECT_EQ(ZoomLevelWalks::TryOpenSmallestZoomlevelFound(slide, -1, false, difference), E_FAIL);
  EXPECT_EQ(slide.tried.size(), 3u);
  EXPECT_TRUE(slide.reportedLines.empty());
}

TEST(ZoomLevelWalks, NormalOrExtendedTriesExtendedOnlyWhenNormalFails) {
  ScriptedSlide slide;
  slide.answers[{0, true}] = S_OK;
  EXPECT_EQ(ZoomLevelWalks::TryOpenNormalOrExtendedSmallestZoomlevelFound(slide, 1), S_OK);
  EXPECT_EQ(slide.tried.size(), 4u);

  ScriptedSlide empty;
  EXPECT_EQ(ZoomLevelWalks::TryOpenNormalOrExtendedSmallestZoomlevelFound(empty, 1), E_FAIL);
  EXPECT_EQ(empty.reportedLines, std::vector<int>{400});
}

TEST(ZoomLevelWalks, ExtendedAndNormalPrefersNormalDifference) {
  ScriptedSlide slide;
  slide.answers[{3, true}] = S_OK;
  slide.answers[{1, false}] = S_OK;
  long difference = -1;
  EXPECT_EQ(ZoomLevelWalks::TryOpenExtendedAndNormalSmallestZoomlevelFound(slide, 3, difference), S_OK);
  EXPECT_EQ(difference, 2);

  ScriptedSlide extendedOnly;
  extendedOnly.answers[{2, true}] = S_OK;
  EXPECT_EQ(ZoomLevelWalks::TryOpenExtendedAndNormalSmallestZoomlevelFound(extendedOnly, 3, difference), S_OK);
  EXPECT_EQ(difference, 1);

  ScriptedSlide none;
  EXPECT_EQ(ZoomLevelWalks::TryOpenExtendedAndNormalSmallestZoomlevelFound(none, 0, difference), E_FAIL);
  EXPECT_TRUE(none.reportedLines.empty());
}

// The stop code at level 2 of a walk started at 3 ends it there and leaves one line per walk.
struct StopCase {
  const char* name;
  bool stopInExtended;
  std::vector<int> expectedLines;
  std::size_t expectedTries;
};

class StopCodeThroughWalks : public testing::TestWithParam<StopCase> {};

TEST_P(StopCodeThroughWalks, NormalOrExtended) {
  const StopCase& c = GetParam();
  ScriptedSlide slide;
  slide.answers[{2, c.stopInExtended}] = kStopCode;
  slide.answers[{1, c.stopInExtended}] = S_OK;  // never reached
  EXPECT_EQ(ZoomLevelWalks::TryOpenNormalOrExtendedSmallestZoomlevelFound(slide, 3), kStopCode);
  EXPECT_EQ(slide.reportedLines, c.expectedLines);
  EXPECT_EQ(slide.tried.size(), c.expectedTries);
}

INSTANTIATE_TEST_SUITE_P(
    Walks, StopCodeThroughWalks,
    testing::Values(StopCase{"normal", false, {356, 376, 395}, 2},
                    StopCase{"extended", true, {344, 376, 400}, 6}),
    [](const testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

TEST(ZoomLevelWalks, StopInEitherHalfOfExtendedAndNormal) {
  for (bool stopInExtended : {true, false}) {
    ScriptedSlide slide;
    slide.answers[{1, stopInExtended}] = kStopCode;
    slide.answers[{0, !stopInExtended}] = S_OK;
    long difference = -1;
    EXPECT_EQ(ZoomLevelWalks::TryOpenExtendedAndNormalSmallestZoomlevelFound(slide, 2, difference), kStopCode);
    const int levelLine = stopInExtended ? 344 : 356;
    EXPECT_EQ(slide.reportedLines, (std::vector<int>{levelLine, 376, 413}));
    EXPECT_EQ(difference, -1);
  }
}

}  // namespace

// Level walks over a scripted slide: which levels open, the level difference, and the trail of
// report lines that the stop code leaves through every walk.
#include <map>
#include <optional>
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

enum class Walk { Smallest, SmallestExtended, NormalOrExtended, ExtendedAndNormal };

struct WalkCase {
  const char* name;
  Walk walk;
  long start;
  std::map<std::pair<long, bool>, HRESULT> answers;
  HRESULT expected;
  long difference;  // 7 when the walk leaves it untouched
  std::optional<std::size_t> tries;
  std::optional<std::vector<int>> lines;
};

class WalkTable : public testing::TestWithParam<WalkCase> {};

// Which levels a walk opens, the level difference, and the report lines the stop code leaves: one
// per walk it ends.
TEST_P(WalkTable, OpensReportsAndCounts) {
  const WalkCase& c = GetParam();
  ScriptedSlide slide;
  slide.answers = c.answers;
  long difference = 7;
  HRESULT hr = E_UNEXPECTED;
  switch (c.walk) {
    case Walk::Smallest:
      hr = ZoomLevelWalks::TryOpenSmallestZoomlevelFound(slide, c.start, false, difference);
      break;
    case Walk::SmallestExtended:
      hr = ZoomLevelWalks::TryOpenSmallestZoomlevelFound(slide, c.start, true, difference);
      break;
    case Walk::NormalOrExtended:
      hr = ZoomLevelWalks::TryOpenNormalOrExtendedSmallestZoomlevelFound(slide, c.start);
      break;
    case Walk::ExtendedAndNormal:
      hr = ZoomLevelWalks::TryOpenExtendedAndNormalSmallestZoomlevelFound(slide, c.start, difference);
      break;
  }
  EXPECT_EQ(hr, c.expected);
  EXPECT_EQ(difference, c.difference);
  EXPECT_EQ(slide.tried.size(), c.tries.value_or(slide.tried.size()));
  EXPECT_EQ(slide.reportedLines, c.lines.value_or(slide.reportedLines));
}

INSTANTIATE_TEST_SUITE_P(
    Walks, WalkTable,
    testing::Values(
        WalkCase{"finer_level_found", Walk::Smallest, 3, {{{1, false}, S_OK}}, S_OK, 2, 3, std::vector<int>{}},
        WalkCase{"nothing_opens", Walk::SmallestExtended, 2, {}, E_FAIL, 7, 3, std::vector<int>{}},
        WalkCase{"negative_level", Walk::Smallest, -1, {}, E_FAIL, 7, 0, std::vector<int>{}},
        WalkCase{"extended_after_normal_fails", Walk::NormalOrExtended, 1, {{{0, true}, S_OK}}, S_OK, 7, 4, {}},
        WalkCase{"normal_or_extended_none", Walk::NormalOrExtended, 1, {}, E_FAIL, 7, {}, std::vector<int>{400}},
        WalkCase{"normal_difference_preferred", Walk::ExtendedAndNormal, 3, {{{3, true}, S_OK}, {{1, false}, S_OK}},
                 S_OK, 2, {}, {}},
        WalkCase{"extended_only", Walk::ExtendedAndNormal, 3, {{{2, true}, S_OK}}, S_OK, 1, {}, {}},
        WalkCase{"extended_and_normal_none", Walk::ExtendedAndNormal, 0, {}, E_FAIL, 7, {}, std::vector<int>{}},
        // The stop code at level 2 of a walk started at 3 ends it there; level 1 is never reached.
        WalkCase{"stop_in_normal", Walk::NormalOrExtended, 3, {{{2, false}, kStopCode}, {{1, false}, S_OK}},
                 kStopCode, 7, 2, std::vector<int>{356, 376, 395}},
        WalkCase{"stop_in_extended", Walk::NormalOrExtended, 3, {{{2, true}, kStopCode}, {{1, true}, S_OK}},
                 kStopCode, 7, 6, std::vector<int>{344, 376, 400}},
        WalkCase{"stop_in_extended_half", Walk::ExtendedAndNormal, 2, {{{1, true}, kStopCode}, {{0, false}, S_OK}},
                 kStopCode, 7, {}, std::vector<int>{344, 376, 413}},
        WalkCase{"stop_in_normal_half", Walk::ExtendedAndNormal, 2, {{{1, false}, kStopCode}, {{0, true}, S_OK}},
                 kStopCode, 7, {}, std::vector<int>{356, 376, 413}}),
    [](const testing::TestParamInfo<WalkCase>& info) { return std::string(info.param.name); });

}  // namespace

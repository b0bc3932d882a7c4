// Focus-plane arithmetic: middle plane, first level and centred offsets for even and odd stacks,
// with and without an extended-focus image, and coordinate counts that do not fit.
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include "Slide/FocusPlanes.h"

namespace {

struct PlaneCase {
  unsigned long planes;
  bool extended;
  unsigned long zeroLevel;
  long firstLevel;
};

class FocusLevelTable : public testing::TestWithParam<PlaneCase> {};

TEST_P(FocusLevelTable, MiddleAndFirstLevel) {
  const PlaneCase& c = GetParam();
  EXPECT_EQ(FocusPlanes::ZeroFocusLevel(c.planes, c.extended), c.zeroLevel);
  EXPECT_EQ(FocusPlanes::ZStackFirstLevel(c.planes, c.extended), c.firstLevel);
}

INSTANTIATE_TEST_SUITE_P(Stacks, FocusLevelTable,
                         testing::Values(PlaneCase{0, false, 0, 0}, PlaneCase{1, true, 0, 0},
                                         PlaneCase{2, false, 0, 0}, PlaneCase{2, true, 1, 0},
                                         PlaneCase{4, false, 1, -1}, PlaneCase{4, true, 2, -1},
                                         PlaneCase{5, false, 2, -2}, PlaneCase{5, true, 3, -2}));

using Offsets = std::map<long, double>;

TEST(FocusLevelOffsets, EvenStackIsCentredBetweenTheMiddlePlanesAndReversed) {
  Offsets offsets;
  const FocusPlanes::ZStackLayout layout{4, false, true};
  ASSERT_EQ(FocusPlanes::ComputeFocusLevelOffsets(layout, {0, 1, 2, 3}, -1, offsets), S_OK);
  EXPECT_EQ(offsets, (Offsets{{-1, 1.0}, {0, 0.0}, {1, -1.0}, {2, -2.0}}));
}

TEST(FocusLevelOffsets, OddStackWithExtendedFocusRunsFromMinusTwoToTwo) {
  Offsets offsets;
  const FocusPlanes::ZStackLayout layout{5, true, true};
  const long first = FocusPlanes::ZStackFirstLevel(5, true);
  ASSERT_EQ(FocusPlanes::ComputeFocusLevelOffsets(layout, {-4, -2, 0, 2, 4}, first, offsets), S_OK);
  EXPECT_EQ(offsets, (Offsets{{-2, 4.0}, {-1, 2.0}, {0, 0.0}, {1, -2.0}, {2, -4.0}}));
}

TEST(FocusLevelOffsets, CoordinateCountMustFitThePlanes) {
  Offsets offsets{{9, 9.0}};
  EXPECT_EQ(FocusPlanes::ComputeFocusLevelOffsets({5, false, true}, {0, 1, 2, 3}, -2, offsets), E_INVALIDARG);
  EXPECT_EQ(FocusPlanes::ComputeFocusLevelOffsets({5, true, true}, {0, 1, 2, 3, 4, 5}, -2, offsets), E_INVALIDARG);
  EXPECT_EQ(offsets, (Offsets{{9, 9.0}}));
  // Without a normal level only the lower bound holds; a short list never reads past its end.
  EXPECT_EQ(FocusPlanes::ComputeFocusLevelOffsets({3, false, false}, {0, 2}, -1, offsets), S_OK);
  EXPECT_EQ(offsets.size(), 2u);
}

TEST(FocusLevelOffsets, NoCoordinatesGiveNoOffsets) {
  Offsets offsets{{1, 1.0}};
  EXPECT_EQ(FocusPlanes::ComputeFocusLevelOffsets({0, false, true}, {}, 0, offsets), S_OK);
  EXPECT_TRUE(offsets.empty());
}

}  // namespace

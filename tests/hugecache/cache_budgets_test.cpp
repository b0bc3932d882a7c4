// Cache budget arithmetic: the default split, the lossless shift, the cap scaling both budgets,
// the monitor's change threshold; and the recomputation when the last lossy slide closes.
#include "OpenSlideCounters.h"
#include "cache_test_support.h"

namespace hugecache_test {
namespace {

constexpr ULONGLONG kG = 1'000'000'000ULL;

struct SplitCase {
  const char* what;
  ULONGLONG available;
  CacheSettings settings;
  bool losslessShift;
  ULONGLONG decoded, encoded;
};

TEST(CacheBudgetsTest, SplitFollowsSettings) {
  const CacheSettings defaults;
  CacheSettings capped = defaults;
  capped.cap = kG;  // half of what both budgets would get
  CacheSettings zeroDivisor = defaults;
  zeroDivisor.divisor = 0;
  const SplitCase cases[] = {
      {"defaults: one sixth each", 6 * kG, defaults, false, kG, kG},
      {"divisor 0 counts as 60", 6 * kG, zeroDivisor, false, kG, kG},
      {"lossless: 90 % of encoded moves over", 6 * kG, defaults, true, kG / 10 * 19, kG / 10},
      {"cap scales both by one factor", 6 * kG, capped, false, kG / 2, kG / 2},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.what);
    const CacheBudgets budgets = SplitCacheBudgets(c.available, c.settings, c.losslessShift);
    EXPECT_EQ(budgets.decoded, c.decoded);
    EXPECT_EQ(budgets.encoded, c.encoded);
  }
}

TEST(CacheBudgetsTest, MonitorRecomputesFromTheThresholdOn) {
  const struct {
    ULONGLONG last, now;
    bool recompute;
  } cases[] = {{0, 1000, false}, {1000, 1000, false}, {1000, 1099, false}, {1000, 1100, false},
               {1000, 1120, true}, {1000, 900, true},  {1000, 910, false},  {1000, 0, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(MemoryChangeExceeds(c.last, c.now, 10), c.recompute) << c.last << " -> " << c.now;
  }
}

TEST_F(CacheTest, ClosingTheLastLossySlideShiftsTheEncodedBudgetToTheDecoded) {
  OpenSlideCounters& counters = OpenSlideCounters::Instance();
  counters.Add(true);
  counters.Add(false);
  ULONGLONG decoded = 0, encoded = 0;
  ComputeCacheBudgets(decoded, encoded, true, 60, 10, 10, 10, 10, kCap);
  EXPECT_NEAR(static_cast<double>(encoded) / kCap, 0.5, 0.001) << "a lossy slide is open: no shift";
  EncodedTileCache::SetBudget(encoded);
  ASSERT_TRUE(counters.Remove(false));
  RecomputeCacheBudgets();
  EXPECT_NEAR(static_cast<double>(EncodedTileCache::Budget()) / kCap, 0.05, 0.001);
  counters.Remove(true);
}

}  // namespace
}  // namespace hugecache_test

// The scattered cache of both kinds: budget and the at-or-above refusal, FIFO eviction with pinned
// tiles skipped, duplicate keys, clients shared by path and numbering, Clear.
#include <vector>

#include "cache_test_support.h"

namespace hugecache_test {
namespace {

using ScatteredCacheTest = CacheTest;

// Budget; bytes stored before; size of the new tile; whether it is kept.
struct BudgetCase {
  ULONGLONG budget, before, size;
  bool kept;
};

TEST_F(ScatteredCacheTest, TileIsKeptOnlyBelowTheBudgetAndTotalsMatchStoredTiles) {
  const BudgetCase cases[] = {
      {0, 0, 1, false},       // budget 0 refuses everything
      {100, 60, 40, false},   // would fill the budget exactly: refused
      {100, 60, 39, true},    // stays below: both kept
      {100, 0, 100, false},   // a tile as large as the budget never fits
      {100, 90, 20, true},    // the older tile makes room
  };
  for (const BudgetCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "budget " << c.budget << " before " << c.before << " size " << c.size);
    EncodedTileCache::Clear();
    EncodedTileCache::SetBudget(1000);
    EncodedTileCache cache;
    cache.Register(u"/slides/a");
    if (c.before != 0) cache.AddTile(0, 0, 0, 0, 0, LibraryBuffer(c.before, 1), static_cast<ULONG>(c.before));
    EncodedTileCache::SetBudget(c.budget);
    cache.AddTile(0, 0, 0, 0, 1, LibraryBuffer(c.size, 2), static_cast<ULONG>(c.size));
    ULONG size = 0;
    EXPECT_EQ(cache.FindTile(0, 0, 0, 0, 1, size) != nullptr, c.kept);
    ULONGLONG stored = 0;
    for (long column : {0L, 1L}) {
      if (cache.FindTile(0, 0, 0, 0, column, size)) stored += size;
    }
    EXPECT_EQ(EncodedTileCache::TotalBytes(), stored);
    EXPECT_EQ(EncodedTileCache::ClientBytes(cache.ClientNumber()), stored);
  }
}

TEST_F(ScatteredCacheTest, DuplicateKeyKeepsTheFirstValueAndTheTotals) {
  EncodedTileCache::SetBudget(1000);
  EncodedTileCache cache;
  cache.Register(u"/slides/a");
  cache.AddTile(1, 2, 3, 4, 5, LibraryBuffer(10, 7), 10);
  cache.AddTile(1, 2, 3, 4, 5, LibraryBuffer(20, 9), 20);
  ULONG size = 0;
  const EncodedTile found = cache.FindTile(1, 2, 3, 4, 5, size);
  ASSERT_TRUE(found);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(found.get()[0], 7);
  EXPECT_EQ(EncodedTileCache::TotalBytes(), 10u);
  EXPECT_EQ(cache.FindTile(1, 2, 3, 4, 6, size), nullptr);
  EXPECT_EQ(size, kTileNotFound);
}

TEST_F(ScatteredCacheTest, OnePathOneNumberTilesLiveUntilItsLastUser) {
  EncodedTileCache::SetBudget(1000);
  auto first = std::make_unique<EncodedTileCache>();
  auto second = std::make_unique<EncodedTileCache>();
  auto other = std::make_unique<EncodedTileCache>();
  const LONGLONG number = first->Register(u"/slides/a");
  EXPECT_EQ(other->Register(u"/slides/b"), number + 1);
  EXPECT_EQ(second->Register(u"/slides/a"), number);
  first->AddTile(0, 0, 0, 0, 0, LibraryBuffer(10, 1), 10);
  other->AddTile(0, 0, 0, 0, 0, LibraryBuffer(30, 1), 30);
  ULONG size = 0;
  EXPECT_TRUE(second->FindTile(0, 0, 0, 0, 0, size)) << "objects of one path see each other's tiles";
  first.reset();
  EXPECT_TRUE(second->FindTile(0, 0, 0, 0, 0, size)) << "a remaining user keeps the path's tiles";
  second.reset();
  EXPECT_EQ(EncodedTileCache::TotalBytes(), 30u) << "the last user removes the path's tiles only";
  other.reset();
  EXPECT_EQ(EncodedTileCache::TotalBytes(), 0u);
}

TEST_F(ScatteredCacheTest, ClientRegisteredBeforeClearCannotRemoveTheNextClientsTiles) {
  EncodedTileCache::SetBudget(1000);
  EncodedTileCache stale;
  stale.Register(u"/slides/a");
  EncodedTileCache::Clear();
  {
    EncodedTileCache fresh;
    fresh.Register(u"/slides/a");
    fresh.AddTile(0, 0, 0, 0, 0, LibraryBuffer(10, 1), 10);
    stale.Unregister();
    ULONG size = 0;
    EXPECT_TRUE(fresh.FindTile(0, 0, 0, 0, 0, size));
  }
  EXPECT_EQ(EncodedTileCache::TotalBytes(), 0u);
}

// A client kept from before Clear, or from before the last path closed, still files tiles: no
// later path may get its number and find them.
TEST_F(ScatteredCacheTest, NumbersAreNotReusedAfterClearOrTheLastClient) {
  EncodedTileCache::SetBudget(1000);
  EncodedTileCache stale;
  stale.Register(u"/slides/a");
  EncodedTileCache::Clear();
  {
    EncodedTileCache gone;
    gone.Register(u"/slides/b");
  }
  EncodedTileCache fresh;
  fresh.Register(u"/slides/c");
  EXPECT_NE(fresh.ClientNumber(), stale.ClientNumber());
  stale.AddTile(0, 0, 0, 0, 0, LibraryBuffer(10, 1), 10);
  ULONG size = 0;
  EXPECT_FALSE(fresh.FindTile(0, 0, 0, 0, 0, size)) << "another path's tile";
}

TEST_F(ScatteredCacheTest, EvictionTakesOldestFirstAndFoundBufferOutlivesIt) {
  EncodedTileCache::SetBudget(35);
  EncodedTileCache cache;
  cache.Register(u"/slides/a");
  for (long column = 0; column < 3; ++column) cache.AddTile(0, 0, 0, 0, column, LibraryBuffer(10, 1), 10);
  ULONG size = 0;
  const EncodedTile held = cache.FindTile(0, 0, 0, 0, 0, size);
  cache.AddTile(0, 0, 0, 0, 3, LibraryBuffer(10, 1), 10);
  EXPECT_FALSE(cache.FindTile(0, 0, 0, 0, 0, size)) << "a lookup does not protect a tile";
  EXPECT_TRUE(cache.FindTile(0, 0, 0, 0, 1, size));
  EXPECT_EQ(held.get()[9], 1) << "the buffer handed out stays valid";
  EXPECT_EQ(EncodedTileCache::TotalBytes(), 30u);
}

TEST_F(ScatteredCacheTest, PinnedDecodedTileSurvivesEvictionUntilReleased) {
  ScatteredDecodedCache::SetBudget(35);
  ScatteredDecodedCache cache;
  cache.Register(u"/slides/a", 4);
  const std::vector<unsigned char> bytes(10, 5);
  const auto key = [](int column) { return TileKey{4, 0, 0, 0, 0, column}; };
  cache.AddTile(key(0), bytes.data(), 10);
  unsigned char* pinned = cache.FindTile(0, 0, 0, 0, 0, true);
  ASSERT_NE(pinned, nullptr);
  for (int column = 1; column < 6; ++column) cache.AddTile(key(column), bytes.data(), 10);
  EXPECT_EQ(cache.FindTile(0, 0, 0, 0, 0, false), pinned);
  EXPECT_EQ(pinned[9], 5);
  cache.ReleaseTile(pinned);
  cache.AddTile(key(6), bytes.data(), 10);
  EXPECT_EQ(cache.FindTile(0, 0, 0, 0, 0, false), nullptr) << "released, it goes with the next pass";
  EXPECT_EQ(ScatteredDecodedCache::TotalBytes(), 30u);
}

TEST_F(ScatteredCacheTest, DecodedTileOfAnotherClientIsFiledUnderItWhileItIsRegistered) {
  ScatteredDecodedCache::SetBudget(1000);
  ScatteredDecodedCache owner, mover;
  owner.Register(u"/slides/a", 7);
  mover.Register(u"/slides/b", 8);
  const std::vector<unsigned char> bytes(10, 3);
  mover.AddTile(TileKey{7, 0, 0, 0, 0, 0}, bytes.data(), 10);
  mover.AddTile(TileKey{9, 0, 0, 0, 0, 0}, bytes.data(), 10);  // nobody has number 9
  EXPECT_NE(owner.FindTile(0, 0, 0, 0, 0, false), nullptr);
  EXPECT_EQ(ScatteredDecodedCache::ClientBytes(7), 10u);
  EXPECT_EQ(ScatteredDecodedCache::TotalBytes(), 10u);
}

}  // namespace
}  // namespace hugecache_test

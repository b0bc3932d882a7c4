// The decoded-tile cache: the four reservation results and pin balance, the ring's wrap into the
// overflow tier, a reservation on a pinned slot, abandoned writes, partitions of two tile sizes
// under the slab limit, and partition moves with readers and writers holding slots.
#include <memory>
#include <vector>

#include "cache_test_support.h"

namespace hugecache_test {
namespace {

constexpr ULONGLONG kTile = 4096;

class DecodedTileCacheTest : public CacheTest {
 protected:
  // A cache of slots tiles of kTile bytes; the overflow tier gets overflow bytes.
  std::unique_ptr<DecodedTileCache> Open(const char16_t* path, ULONGLONG slots, ULONGLONG overflow = 0,
                                         ULONGLONG tile = kTile) {
    auto cache = std::make_unique<DecodedTileCache>();
    EXPECT_EQ(cache->Init(path, tile, slots * tile), S_OK);
    ScatteredDecodedCache::SetBudget(overflow);
    return cache;
  }
  static ULONGLONG Pins() { return DecodedTileCache::Partitions().at(0).pinnedAddresses; }
  // Reserves, writes seed into and completes the tile of column x; returns its slot address.
  static unsigned char* Store(DecodedTileCache& cache, long x, unsigned char seed) {
    unsigned char* slot = nullptr;
    EXPECT_EQ(cache.Reserve(0, 0, 0, 0, x, slot), DecodedTileCache::kReserveNew);
    if (slot == nullptr) return nullptr;
    std::memset(slot, seed, kTile);
    cache.MarkComplete(0, 0, 0, 0, x);
    cache.Release(slot);
    return slot;
  }
};

TEST_F(DecodedTileCacheTest, ReservationResultsAndPinsBalance) {
  auto cache = Open(u"/slides/a", 4);
  unsigned char* slot = nullptr;
  unsigned char* again = nullptr;
  ASSERT_EQ(cache->Reserve(0, 0, 0, 0, 0, slot), DecodedTileCache::kReserveNew);
  EXPECT_TRUE(cache->IsPending(0, 0, 0, 0, 0));
  EXPECT_EQ(cache->Find(0, 0, 0, 0, 0, true), nullptr) << "a tile being written is not found";
  EXPECT_EQ(cache->Reserve(0, 0, 0, 0, 0, again), DecodedTileCache::kReservePending);
  EXPECT_EQ(again, nullptr);
  std::memset(slot, 9, kTile);
  cache->MarkComplete(0, 0, 0, 0, 0);
  EXPECT_EQ(cache->Reserve(0, 0, 0, 0, 0, again), DecodedTileCache::kReserveFinished);
  EXPECT_EQ(again, slot);
  EXPECT_EQ(cache->Find(0, 0, 0, 0, 0, true), slot);
  EXPECT_EQ(Pins(), 1u);
  for (int i = 0; i < 3; ++i) cache->Release(slot);
  EXPECT_EQ(Pins(), 0u) << "each address handed out carries one pin";
  EXPECT_FALSE(cache->IsPending(0, 0, 0, 0, 0));
}

TEST_F(DecodedTileCacheTest, AbandonedWriteEmptiesTheSlot) {
  auto cache = Open(u"/slides/a", 4);
  unsigned char* slot = nullptr;
  ASSERT_EQ(cache->Reserve(0, 0, 0, 0, 0, slot), DecodedTileCache::kReserveNew);
  cache->Release(slot);
  EXPECT_FALSE(cache->IsPending(0, 0, 0, 0, 0)) << "a failed decode must not leave the tile pending for ever";
  EXPECT_EQ(cache->Reserve(0, 0, 0, 0, 0, slot), DecodedTileCache::kReserveNew);
  cache->Release(slot);
}

TEST_F(DecodedTileCacheTest, WrapMovesTheOldTileToTheOverflowTierWhereFindFindsIt) {
  auto cache = Open(u"/slides/a", 2, 10 * kTile);
  for (long x = 0; x < 3; ++x) Store(*cache, x, static_cast<unsigned char>(10 + x));
  unsigned char* moved = cache->Find(0, 0, 0, 0, 0, true);
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(ScatteredDecodedCache::TotalBytes(), kTile);
  EXPECT_EQ(moved[0], 10);
  EXPECT_EQ(moved[kTile - 1], 10);
  EXPECT_EQ(cache->Find(0, 0, 0, 0, 2, false)[0], 12);
  cache->Release(moved);
}

TEST_F(DecodedTileCacheTest, ReservationOnAPinnedSlotLeavesTheRingWhereItWas) {
  auto cache = Open(u"/slides/a", 2);
  unsigned char* first = Store(*cache, 0, 1);
  Store(*cache, 1, 2);
  ASSERT_EQ(cache->Find(0, 0, 0, 0, 0, true), first);
  unsigned char* slot = nullptr;
  EXPECT_EQ(cache->Reserve(0, 0, 0, 0, 2, slot), DecodedTileCache::kReserveNoSlot);
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(first[0], 1) << "a pinned slot is not overwritten";
  cache->Release(first);
  EXPECT_EQ(cache->Reserve(0, 0, 0, 0, 2, slot), DecodedTileCache::kReserveNew);
  EXPECT_EQ(slot, first) << "the ring hands out the slot it stopped at";
  cache->Release(slot);
}

TEST_F(DecodedTileCacheTest, TwoTileSizesGetTwoPartitionsRebalancedUnderTheSlabLimit) {
  auto small = Open(u"/slides/a", 4);
  auto large = Open(u"/slides/b", 4, 0, 3 * kTile);
  ASSERT_EQ(DecodedTileCache::Partitions().size(), 2u);
  DecodedTileCache::Rebalance(3'000'000'000ULL);
  for (const auto& partition : DecodedTileCache::Partitions()) {
    EXPECT_LE(partition.targetBytes, kMaxSlabBytes);
    EXPECT_EQ(partition.targetBytes % partition.tileBytes, 0u);
    EXPECT_GT(partition.targetBytes, kMaxSlabBytes - partition.tileBytes);
  }
  DecodedTileCache::Rebalance(40 * kTile);
  while (DecodedTileCache::ReallocateNextPartition()) {
  }
  for (const auto& partition : DecodedTileCache::Partitions()) {
    EXPECT_EQ(partition.currentBytes, partition.targetBytes);
    EXPECT_EQ(partition.capacity, 40 * kTile / partition.tileBytes);
  }
  large.reset();
  EXPECT_EQ(DecodedTileCache::Partitions().size(), 1u) << "a partition goes with its last client";
}

TEST_F(DecodedTileCacheTest, PartitionMoveKeepsPinnedReadersAndWritersWhole) {
  auto cache = Open(u"/slides/a", 8);
  unsigned char* read = Store(*cache, 0, 3);
  Store(*cache, 1, 4);
  ASSERT_EQ(cache->Find(0, 0, 0, 0, 0, true), read);
  unsigned char* writing = nullptr;
  ASSERT_EQ(cache->Reserve(0, 0, 0, 0, 2, writing), DecodedTileCache::kReserveNew);
  std::memset(writing, 5, kTile / 2);
  for (ULONGLONG slots : {16ULL, 2ULL}) {
    SCOPED_TRACE(slots);
    DecodedTileCache::Rebalance(slots * kTile);
    ASSERT_TRUE(DecodedTileCache::ReallocateNextPartition());
    EXPECT_EQ(read[kTile - 1], 3) << "the old slab stays while a reader holds it";
  }
  std::memset(writing + kTile / 2, 5, kTile / 2);
  ScatteredDecodedCache::SetBudget(10 * kTile);  // the shrunk slab has no slot left for it
  cache->MarkComplete(0, 0, 0, 0, 2);
  cache->Release(writing);
  cache->Release(read);
  const unsigned char* written = cache->Find(0, 0, 0, 0, 2, false);
  ASSERT_NE(written, nullptr) << "the tile being written survives both moves (in the overflow tier)";
  EXPECT_EQ(written[0], 5);
  EXPECT_EQ(written[kTile - 1], 5) << "the bytes written after the move arrive";
  const auto partition = DecodedTileCache::Partitions().at(0);
  EXPECT_EQ(partition.pinnedAddresses, 0u);
  EXPECT_EQ(partition.retiredSlabs, 0u) << "old slabs go with their last pin";
  EXPECT_EQ(DecodedTileCache::SlabBytes(), 2 * kTile);
}

}  // namespace
}  // namespace hugecache_test

// Several threads reserve, write, find and release decoded tiles and add and find encoded ones
// under small budgets while partitions are moved back and forth: every tile found must hold the
// bytes stored under its key, and every pin must be given back.
#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "cache_test_support.h"

namespace hugecache_test {
namespace {

constexpr ULONGLONG kTile = 2048;
constexpr int kKeys = 64;
constexpr int kWorkers = 4;
constexpr int kRounds = 3000;

unsigned char Seed(long key) { return static_cast<unsigned char>(key * 37 + 11); }

bool Holds(const unsigned char* tile, size_t size, unsigned char seed) {
  for (size_t i = 0; i < size; ++i) {
    if (tile[i] != seed) return false;
  }
  return true;
}

// One round on a decoded tile: use it when found, else decode it into a reserved slot.
bool DecodedRound(DecodedTileCache& cache, long key) {
  if (unsigned char* found = cache.Find(0, 0, 0, 0, key, true)) {
    const bool whole = Holds(found, kTile, Seed(key));
    cache.Release(found);
    return whole;
  }
  unsigned char* slot = nullptr;
  const int status = cache.Reserve(0, 0, 0, 0, key, slot);
  if (status == DecodedTileCache::kReserveNew) {
    std::memset(slot, Seed(key), kTile);
    cache.MarkComplete(0, 0, 0, 0, key);
  }
  const bool whole = status != DecodedTileCache::kReserveFinished || Holds(slot, kTile, Seed(key));
  if (slot != nullptr) cache.Release(slot);
  return whole;
}

bool EncodedRound(EncodedTileCache& cache, long key) {
  ULONG size = 0;
  const EncodedTile found = cache.FindTile(0, 0, 0, 0, key, size);
  if (found) return size == key + 1 && Holds(found.get(), size, Seed(key));
  cache.AddTile(0, 0, 0, 0, key, LibraryBuffer(key + 1, Seed(key)), static_cast<ULONG>(key + 1));
  return true;
}

TEST_F(CacheTest, TilesFoundHoldTheirBytesWhilePartitionsMove) {
  EncodedTileCache::SetBudget(kKeys * 20);
  DecodedTileCache first, second;
  ASSERT_EQ(first.Init(u"/slides/a", kTile, 16 * kTile), S_OK);
  ASSERT_EQ(second.Init(u"/slides/b", kTile, 16 * kTile), S_OK);
  ScatteredDecodedCache::SetBudget(8 * kTile);
  std::atomic<bool> running{true};
  std::atomic<int> damaged{0};
  int moves = 0;
  std::thread mover([&] {
    for (ULONGLONG slots = 4; running; slots = slots == 4 ? 24 : 4) {
      DecodedTileCache::Rebalance(slots * kTile);
      moves += DecodedTileCache::ReallocateNextPartition() ? 1 : 0;
    }
  });
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      std::mt19937 random(w);
      EncodedTileCache encoded;
      encoded.Register(w % 2 ? u"/slides/a" : u"/slides/b");
      DecodedTileCache& decoded = w % 2 ? first : second;
      for (int round = 0; round < kRounds; ++round) {
        const long key = static_cast<long>(random() % kKeys);
        if (!DecodedRound(decoded, key) || !EncodedRound(encoded, key)) ++damaged;
      }
    });
  }
  for (auto& worker : workers) worker.join();
  running = false;
  mover.join();
  EXPECT_EQ(damaged.load(), 0);
  EXPECT_GT(moves, 0);
  for (const auto& partition : DecodedTileCache::Partitions()) EXPECT_EQ(partition.pinnedAddresses, 0u);
  EXPECT_LT(EncodedTileCache::TotalBytes(), EncodedTileCache::Budget());
}

}  // namespace
}  // namespace hugecache_test

// Shared by the cache tests: a clean process-wide cache state per test, with stored budget
// settings capped so that no budget depends on this machine's free memory.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "HugeCache/CacheBudgets.h"
#include "HugeCache/DecodedTileCache.h"
#include "HugeCache/EncodedTileCache.h"
#include "HugeCache/Slab.h"

namespace hugecache_test {

using namespace HugeCache;

inline constexpr ULONGLONG kCap = 64ULL << 20;  // sum of both budgets in the stored settings

class CacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ULONGLONG decoded = 0, encoded = 0;
    ComputeCacheBudgets(decoded, encoded, true, 60, 10, 10, 10, 10, kCap);
    EncodedTileCache::Clear();
    ScatteredDecodedCache::Clear();
  }
  void TearDown() override {
    EncodedTileCache::Clear();
    ScatteredDecodedCache::Clear();
  }
};

// A library-style buffer of size bytes, each byte seed.
inline EncodedTile LibraryBuffer(size_t size, unsigned char seed) {
  auto* block = static_cast<unsigned char*>(std::malloc(size));
  std::memset(block, seed, size);
  return EncodedTile(block);
}

}  // namespace hugecache_test

// The decoded-tile buffer pool: buffers held at the same time are distinct, freed ones come back
// for their own size, and more than the pool keeps is let go without harm.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "Pipeline/TileBuffer.h"

namespace {

using Pipeline::TakeTileBuffer;
using Pipeline::TileBuffer;

TEST(TileBufferTest, HeldBuffersAreDistinctAndFreedOnesComeBack) {
  constexpr std::size_t kBytes = std::size_t{1} << 20;
  const std::size_t count = Pipeline::kPooledBytes / kBytes + 8;  // more than the pool keeps
  for (int round = 0; round < 2; ++round) {
    std::vector<TileBuffer> held;
    std::set<uint8_t*> addresses;
    for (std::size_t i = 0; i < count; ++i) {
      held.push_back(TakeTileBuffer(kBytes));
      std::memset(held.back().get(), static_cast<int>(i), kBytes);
      addresses.insert(held.back().get());
    }
    EXPECT_EQ(addresses.size(), count);
  }
  uint8_t* freed = TakeTileBuffer(1000).get();
  EXPECT_EQ(TakeTileBuffer(1000).get(), freed);
}

}  // namespace

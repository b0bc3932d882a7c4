// Tile reads from several threads at once (one zoom image, shared descriptors, lazily built
// frame index) give exactly the bytes a single thread reads.
#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "SlideTestSupport.h"

namespace {

using namespace slidetest;
using namespace DicomInteropDefines;

TEST(Concurrency, ThreadsReadingRandomTilesGetTheSameBytesAsOneThread) {
  const std::string dir = GeneratedSlide("concurrency", "--width 2048 --height 1536 --levels 0 --focal-planes 2 "
                                                        "--organization sparse --missing-tiles 5 --seed 9");
  ASSERT_FALSE(dir.empty());
  long count = 0, result = 0;
  auto source = OpenSource(dir, &count, &result);
  auto second = OpenSource(dir, &count, &result);  // its own level: the threads race to build the index
  CWSIZoomImage reference, shared;
  ASSERT_EQ(reference.OpenZoomLevel(source.get(), false, 0, true), WSI_OK);
  ASSERT_EQ(shared.OpenZoomLevel(second.get(), false, 0, true), WSI_OK);
  const uint32_t across = 8, down = 6, planes = 2;
  std::vector<TileRead> expected;
  for (uint32_t p = 0; p < planes; ++p) {
    for (uint32_t i = 0; i < across * down; ++i) expected.push_back(ReadTile(reference, p, i % across, i / across, 0));
  }

  constexpr int kThreads = 6, kReads = 400;
  std::vector<int> mismatches(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      std::mt19937 random(static_cast<unsigned>(t + 1));
      for (int r = 0; r < kReads; ++r) {
        const uint32_t index = random() % expected.size();
        const uint32_t plane = index / (across * down), tile = index % (across * down);
        const TileRead got = ReadTile(shared, plane, tile % across, tile / across, 0);
        const TileRead& want = expected[index];
        if (got.result != want.result || got.exists != want.exists || got.bytes != want.bytes) ++mismatches[t];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
  EXPECT_EQ(std::count_if(expected.begin(), expected.end(), [](const TileRead& r) { return !r.exists; }), 10);
}

}  // namespace

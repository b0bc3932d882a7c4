// One codec core used by many threads at once gives every thread the single-threaded result.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "codec_samples.h"

namespace Components::Testing {
namespace {

TEST(CodecThreadsTest, ConcurrentDecodesMatchTheSingleThreadedResult) {
  const auto& samples = Samples();
  ASSERT_FALSE(samples.empty());
  std::vector<std::vector<std::uint8_t>> expected(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    ASSERT_EQ(DecodePacked(CoreFor(samples[i]), samples[i].encoded, samples[i], expected[i]), S_OK);
  }
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 30; ++round) {
        const std::size_t i = static_cast<std::size_t>(t * 7 + round) % samples.size();
        std::vector<std::uint8_t> packed;
        if (DecodePacked(CoreFor(samples[i]), samples[i].encoded, samples[i], packed) != S_OK ||
            packed != expected[i]) {
          ++mismatches;
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace Components::Testing

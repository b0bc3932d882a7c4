// The row conversion kernels against the plain loop: every row end up to a few steps of the widest
// kernel, with and without alpha, and no byte written past the row.
#include <gtest/gtest.h>

#include <vector>

#include "BgrRows.h"

namespace zorvel_py {
namespace {

class BgrRowsTest : public ::testing::TestWithParam<RowKernel> {};

TEST_P(BgrRowsTest, GivesThePlainLoopsBytesAndStaysInTheRow) {
  if (!ProcessorRuns(GetParam())) GTEST_SKIP() << "this processor lacks the kernel's instructions";
  constexpr std::uint8_t kGuard = 0xA5;
  for (int channels : {3, 4}) {
    for (std::int64_t count = 0; count <= 70; ++count) {
      // Bytes after the row differ from the guard, so that a step past the row end shows in the guard.
      std::vector<std::uint8_t> bgr(static_cast<size_t>(count) * 3 + 64, 0x5A);
      for (size_t i = 0; i < static_cast<size_t>(count) * 3; ++i) bgr[i] = static_cast<std::uint8_t>(i * 7 + 1);
      const size_t outBytes = static_cast<size_t>(count) * channels;
      std::vector<std::uint8_t> expected(outBytes + 64, kGuard), actual(outBytes + 64, kGuard);
      BgrToRgbRow(RowKernel::kPlain, bgr.data(), expected.data(), count, channels);
      BgrToRgbRow(GetParam(), bgr.data(), actual.data(), count, channels);
      ASSERT_EQ(actual, expected) << "channels " << channels << ", count " << count;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kernels, BgrRowsTest,
                         ::testing::Values(RowKernel::kPlain, RowKernel::kSsse3, RowKernel::kVbmi));

TEST(BgrRowsPlainTest, SwapsBlueAndRedAndSetsAlpha) {
  const std::uint8_t bgr[] = {1, 2, 3, 4, 5, 6};
  std::uint8_t rgba[8] = {};
  BgrToRgbRow(RowKernel::kPlain, bgr, rgba, 2, 4);
  EXPECT_EQ(std::vector<std::uint8_t>(rgba, rgba + 8), (std::vector<std::uint8_t>{3, 2, 1, 255, 6, 5, 4, 255}));
}

}  // namespace
}  // namespace zorvel_py

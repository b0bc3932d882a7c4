// Placement kernels on hand-computed tiles: box averages over full and cut blocks, 16-to-8-bit
// reduction, one channel into its byte slot, missing tiles and background bytes.
#include <gtest/gtest.h>

#include <vector>

#include "Render/TilePlacement.h"
#include "Render/TileUnpack.h"

namespace Render {
namespace {

constexpr uint8_t kUntouched = 0xEE;

struct Output {
  std::vector<uint8_t> bytes;
  OutputPixels pixels;
  Output(int64_t width, int64_t height, int outputBytes)
      : bytes(static_cast<size_t>(width * 3 * outputBytes * height), kUntouched),
        pixels{bytes.data(), width * 3 * outputBytes, outputBytes} {}
  uint8_t at(int64_t x, int64_t y, int slot) const {
    return bytes[static_cast<size_t>(y * pixels.stride + x * 3 * pixels.outputBytes + slot * pixels.outputBytes)];
  }
};

TEST(PlacementTest, ShrinkOneChannelAveragesFullAndCutBlocks) {
  // 4 x 3 samples 10 v + 2 u; the last output line has one source row left.
  std::vector<uint8_t> tile;
  for (int v = 0; v < 3; ++v) {
    for (int u = 0; u < 4; ++u) tile.push_back(static_cast<uint8_t>(10 * v + 2 * u));
  }
  Output out(2, 2, 1);
  const SourcePixels source{tile.data(), 4, 4, 3, 1, 1};
  PlaceTile(ChoosePlacement(1, 1, false, 1), out.pixels, source, {0, 1, 0, 1, 0, 0}, 1, 1);
  EXPECT_EQ((std::vector<int>{out.at(0, 0, 1), out.at(1, 0, 1), out.at(0, 1, 1), out.at(1, 1, 1)}),
            (std::vector<int>{6, 10, 21, 25}));
  EXPECT_EQ(out.at(0, 0, 0), kUntouched);
  EXPECT_EQ(out.at(1, 1, 2), kUntouched);
}

TEST(PlacementTest, SixteenBitSourcesGiveTheirHighBytes) {
  // One pixel of three 16-bit samples, straight and as the mean of a 2 x 2 block.
  const std::vector<uint16_t> pixel{0x1234, 0x5678, 0x9ABC};
  Output straight(1, 1, 1);
  PlaceTile(ChoosePlacement(3, 0, true, 2), straight.pixels,
            {reinterpret_cast<const uint8_t*>(pixel.data()), 6, 1, 1, 3, 2}, {0, 0, 0, 0, 0, 0}, 0, -1);
  EXPECT_EQ((std::vector<int>{straight.at(0, 0, 0), straight.at(0, 0, 1), straight.at(0, 0, 2)}),
            (std::vector<int>{0x12, 0x56, 0x9A}));
  const std::vector<uint16_t> block{0x0100, 0x0100, 0x0100, 0x0300, 0x0300, 0x0300,
                                    0x0500, 0x0500, 0x0500, 0x0700, 0x0700, 0x0FFF};
  Output shrunk(1, 1, 1);
  PlaceTile(ChoosePlacement(3, 1, false, 2), shrunk.pixels,
            {reinterpret_cast<const uint8_t*>(block.data()), 12, 2, 2, 3, 2}, {0, 0, 0, 0, 0, 0}, 1, -1);
  EXPECT_EQ((std::vector<int>{shrunk.at(0, 0, 0), shrunk.at(0, 0, 1), shrunk.at(0, 0, 2)}),
            (std::vector<int>{0x04, 0x04, 0x06}));
}

TEST(PlacementTest, MissingOneChannelTileKeepsTheOtherSlots) {
  Output out(2, 1, 2);
  FillFootprint(out.pixels, {1, 1, 0, 0, 0, 0}, 0, 2);
  EXPECT_EQ(out.at(1, 0, 2), 0);
  EXPECT_EQ(out.bytes[out.bytes.size() - 1], 0);  // both bytes of the 16-bit sample
  EXPECT_EQ(out.at(1, 0, 1), kUntouched);
  EXPECT_EQ(out.at(0, 0, 2), kUntouched);
}

// Background and a tile placed into the valid area cover every byte exactly once.
TEST(PlacementTest, BackgroundAndPlacementAreDisjointAndComplete) {
  const RegionRequest request{-1, -1, 1, 0, 0, 300, 200, 256, 256, 256, 256};
  const ClippedRegion clipped = ClipRegion(request);
  const BackgroundLayout layout = ComputeBackground(request, clipped.intersects, 1);
  Output out(layout.width, layout.height, 1);
  PaintBackground(out.pixels, layout, out.bytes.size(), 0x00);
  std::vector<uint8_t> tile(256 * 3 * 256, 0x80);
  for (int64_t c = clipped.c0; c <= clipped.c1; ++c) {
    const TileFootprint f = ComputeFootprint(request, clipped, c, 0);
    for (int64_t y = f.y0; y <= f.yLast; ++y) {
      for (int64_t x = f.x0; x <= f.xLast; ++x) {
        for (int s = 0; s < 3; ++s) ASSERT_EQ(out.at(x, y, s), kUntouched) << x << "," << y;
      }
    }
    PlaceTile(PlacementKind::Copy3Channels, out.pixels, {tile.data(), 768, 256, 256, 3, 1}, f, 0, -1);
  }
  EXPECT_EQ(std::count(out.bytes.begin(), out.bytes.end(), kUntouched), 0);
  EXPECT_EQ(std::count(out.bytes.begin(), out.bytes.end(), 0x80), 300 * 200 * 3);
}

TEST(PlacementTest, UncompressedFramesAreReversedReducedAndLengthChecked) {
  const std::vector<uint8_t> rgb16{0x01, 0x10, 0x02, 0x20, 0x03, 0x30};  // R, G, B little-endian
  std::vector<uint8_t> out(4, kUntouched);
  ASSERT_TRUE(UnpackUncompressedTile(rgb16.data(), rgb16.size(), {1, 1, 3, 2}, true, out.data(), 4));
  EXPECT_EQ(out, (std::vector<uint8_t>{0x30, 0x20, 0x10, kUntouched}));
  std::vector<uint8_t> wide(6);
  ASSERT_TRUE(UnpackUncompressedTile(rgb16.data(), rgb16.size(), {1, 1, 3, 2}, false, wide.data(), 6));
  EXPECT_EQ(wide, (std::vector<uint8_t>{0x03, 0x30, 0x02, 0x20, 0x01, 0x10}));
  EXPECT_FALSE(UnpackUncompressedTile(rgb16.data(), rgb16.size() - 1, {1, 1, 3, 2}, true, out.data(), 4));
}

}  // namespace
}  // namespace Render

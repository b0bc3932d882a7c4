// The render commands' pure arithmetic: covering tiles of a rectangle, the thumbnail's level,
// integer lists, channel arguments with focus codes, and area-average fitting.
#include <gtest/gtest.h>

#include "PictureEdit.h"
#include "RegionArithmetic.h"

namespace zorvel_cli {
namespace {

TEST(RegionArithmeticTest, TilesCoveringARectangle) {
  struct Case {
    PixelRect rect;
    TileRange tiles;
    std::int64_t offsetX, offsetY;
  };
  const Case cases[] = {
      {{0, 0, 256, 256}, {0, 0, 0, 0}, 0, 0},          {{0, 0, 257, 1}, {0, 0, 1, 0}, 0, 0},
      {{255, 256, 2, 256}, {0, 1, 1, 1}, 255, 0},      {{100, 50, 300, 200}, {0, 0, 1, 0}, 100, 50},
      {{-1, -300, 2, 44}, {-1, -2, 0, -2}, 255, 212},  {{1024, 768, 1024, 768}, {4, 3, 7, 5}, 0, 0},
  };
  for (const Case& c : cases) {
    const CoveredRect covered = TilesCovering(c.rect);
    EXPECT_EQ(std::vector<std::int64_t>({covered.tiles.x1, covered.tiles.y1, covered.tiles.x2, covered.tiles.y2,
                                         covered.offsetX, covered.offsetY}),
              std::vector<std::int64_t>({c.tiles.x1, c.tiles.y1, c.tiles.x2, c.tiles.y2, c.offsetX, c.offsetY}))
        << c.rect.x << "," << c.rect.y << "," << c.rect.width << "," << c.rect.height;
  }
}

TEST(RegionArithmeticTest, ThumbnailLevelIsTheFirstThatFits) {
  struct Case {
    std::int64_t width, height, max;
    int level;
  };
  for (const Case c : {Case{1536, 1024, 300, 3}, Case{1536, 1024, 1536, 0}, Case{1537, 10, 1536, 1},
                       Case{4096, 3072, 512, 3}, Case{50, 50, 16, 2}, Case{1 << 30, 1, 1024, 9}}) {
    EXPECT_EQ(ThumbnailLevel(c.width, c.height, c.max), c.level) << c.width << " x " << c.height << " in " << c.max;
  }
}

TEST(RegionArithmeticTest, IntegerListsAndRenderableRanges) {
  using List = std::optional<std::vector<std::int64_t>>;
  EXPECT_EQ(ParseIntegerList("1,-2,3,4", 4), List({1, -2, 3, 4}));
  for (const char* bad : {"1,2,3", "1,2,3,4,5", "1,2,,4", "1,2,3,", ",1,2,3", "1,2,3,x", "1,2,3,2147483648", ""}) {
    EXPECT_EQ(ParseIntegerList(bad, 4), std::nullopt) << bad;
  }
  EXPECT_TRUE(RangeIsRenderable({-5, -5, 10, 10}));
  EXPECT_FALSE(RangeIsRenderable({2, 0, 1, 0}));
  EXPECT_FALSE(RangeIsRenderable({0, 0, 1023, 1024}));  // 262144 x 262400 pixels
}

TEST(RegionArithmeticTest, ChannelArgumentsCarryTheFocusCode) {
  using Arguments = std::optional<std::vector<std::int32_t>>;
  EXPECT_EQ(ChannelArguments({2, 1, 0}, std::nullopt), Arguments({2, 1, 0}));
  EXPECT_EQ(ChannelArguments({-3, -3, 3}, std::nullopt), Arguments({-3, -3, 3}));
  EXPECT_EQ(ChannelArguments({2, 1, 0}, 0), Arguments({(1000 << 16) | 2, (1000 << 16) | 1, 1000 << 16}));
  EXPECT_EQ(ChannelArguments({0, 0, 0}, -2), Arguments({998 << 16, 998 << 16, 998 << 16}));
  EXPECT_EQ(ChannelArguments({-3, 1, 0}, 0), std::nullopt);  // a special value cannot take a focus code
  EXPECT_EQ(ChannelArguments({65536, 1, 0}, std::nullopt), std::nullopt);
  EXPECT_EQ(ChannelArguments({0, 0, 0}, -1001), std::nullopt);
}

TEST(PictureEditTest, FitWithinAveragesTheCoveredPixels) {
  DecodedImage grey{4, 2, 1, 1, {0, 10, 20, 30, 40, 50, 60, 70}};
  const DecodedImage half = FitWithin(grey, 2);
  EXPECT_EQ(half.width, 2u);
  EXPECT_EQ(half.height, 1u);
  EXPECT_EQ(half.pixels, std::vector<std::uint8_t>({25, 45}));
  DecodedImage wide{2, 1, 1, 2, {0x00, 0x01, 0x00, 0x03}};  // 256 and 768, little-endian
  EXPECT_EQ(FitWithin(wide, 1).pixels, std::vector<std::uint8_t>({0x00, 0x02}));
  EXPECT_EQ(FitWithin(grey, 4).pixels, grey.pixels);
  EXPECT_EQ(Crop(grey, 1, 1, 2, 1).pixels, std::vector<std::uint8_t>({50, 60}));
}

}  // namespace
}  // namespace zorvel_cli

// Region arithmetic and channel rules as tables: clipping, footprints (also cut and uneven tiles),
// the background layout, -3 triples and focus codes.
#include <gtest/gtest.h>

#include <vector>

#include "Render/ChannelSelection.h"
#include "Render/RegionGeometry.h"

namespace Render {
namespace {

// A 1000 x 700 level read at d, with grid tiles of 256 and source tiles of sw x sh.
RegionRequest Request(int64_t x1, int64_t y1, int64_t x2, int64_t y2, int d = 0, int64_t sw = 256, int64_t sh = 256) {
  return {x1, y1, x2, y2, d, 1000 >> d, 700 >> d, 256, 256, sw, sh};
}

TEST(RegionGeometryTest, ClipsAgainstTheLevel) {
  struct Case {
    RegionRequest request;
    ClippedRegion expected;
  };
  const Case cases[] = {
      {Request(0, 0, 0, 0), {true, true, 0, 0, 0, 0, 0, 0, 0, 0}},
      {Request(1, 0, 5, 4), {true, false, 1, 3, 0, 2, 1, 0, 3, 2}},
      {Request(-2, -1, 1, 0), {true, false, 0, 1, 0, 0, 0, 0, 1, 0}},
      {Request(-3, -2, -1, -1), {false, false, 0, 0, 0, 0, -1, -1, -1, -1}},
      {Request(4, 0, 6, 0), {false, false, 4, 3, 0, 0, 3, 0, 3, 0}},
      {Request(0, 0, 1, 1, 1), {true, false, 0, 3, 0, 2, 0, 0, 1, 1}},
      {Request(0, 0, 3, 2, 0, 512, 512), {true, false, 0, 1, 0, 1, 0, 0, 3, 2}},
  };
  for (const Case& c : cases) {
    const ClippedRegion got = ClipRegion(c.request);
    const ClippedRegion& e = c.expected;
    const std::vector<int64_t> have{got.intersects, got.single, got.c0, got.c1, got.r0, got.r1, got.x1, got.y1, got.x2, got.y2};
    const std::vector<int64_t> want{e.intersects, e.single, e.c0, e.c1, e.r0, e.r1, e.x1, e.y1, e.x2, e.y2};
    EXPECT_EQ(have, want) << c.request.x1 << "," << c.request.y1 << ".." << c.request.x2 << "," << c.request.y2
                          << " d=" << c.request.shift;
  }
}

TEST(RegionGeometryTest, FootprintsCoverTheRegionOnceAndStayInTheirTiles) {
  struct Case {
    RegionRequest request;
    int64_t column, row;
    TileFootprint expected;
  };
  const Case cases[] = {
      {Request(0, 0, 2, 1), 1, 0, {256, 511, 0, 255, 0, 0}},
      {Request(0, 0, 4, 3), 3, 2, {768, 999, 512, 699, 0, 0}},        // the level's edges
      {Request(-1, -1, 0, 0), 0, 0, {256, 511, 256, 511, 0, 0}},      // moved past the grid tiles left and above
      {Request(1, 0, 1, 0, 0, 384, 256), 0, 0, {0, 127, 0, 255, 256, 0}},  // cut at the left
      {Request(0, 0, 1, 0, 1), 1, 0, {128, 255, 0, 127, 0, 0}},       // d = 1
      {Request(0, 0, 0, 0, 1, 255, 256), 1, 0, {128, 254, 0, 127, 1, 0}},  // uneven tile: first block starts 1 in
  };
  for (const Case& c : cases) {
    const TileFootprint got = ComputeFootprint(c.request, ClipRegion(c.request), c.column, c.row);
    const TileFootprint& e = c.expected;
    EXPECT_EQ((std::vector<int64_t>{got.x0, got.xLast, got.y0, got.yLast, got.skipX, got.skipY}),
              (std::vector<int64_t>{e.x0, e.xLast, e.y0, e.yLast, e.skipX, e.skipY}))
        << "tile " << c.column << "," << c.row;
  }
}

// Every output pixel of the valid area belongs to exactly one source tile, for uneven tile sizes too.
TEST(RegionGeometryTest, FootprintsPartitionTheValidArea) {
  for (const int64_t sw : {256, 255, 384, 100}) {
    for (const int d : {0, 1, 2}) {
      const RegionRequest request = Request(-1, 0, 3, 0, d, sw, 256);
      const ClippedRegion clipped = ClipRegion(request);
      const BackgroundLayout layout = ComputeBackground(request, clipped.intersects, 1);
      std::vector<int> owners(static_cast<size_t>(layout.width), 0);
      for (int64_t c = clipped.c0; c <= clipped.c1; ++c) {
        const TileFootprint f = ComputeFootprint(request, clipped, c, 0);
        for (int64_t x = f.x0; x <= f.xLast; ++x) ++owners[static_cast<size_t>(x)];
      }
      for (int64_t x = 0; x < layout.width; ++x) {
        const bool valid = x * 3 >= layout.leftBytes && x * 3 < layout.validRowBytes;
        ASSERT_EQ(owners[static_cast<size_t>(x)], valid ? 1 : 0) << "sw " << sw << " d " << d << " x " << x;
      }
    }
  }
}

TEST(RegionGeometryTest, BackgroundLayout) {
  struct Case {
    RegionRequest request;
    int bytes;
    std::vector<int64_t> expected;  // width, height, row bytes, top lines, left bytes, valid row bytes, valid rows
  };
  const Case cases[] = {
      {Request(0, 0, 4, 2), 1, {1280, 768, 3840, 0, 0, 3000, 700}},
      {Request(-1, -2, 0, 0), 2, {512, 768, 3072, 512, 1536, 3072, 768}},
      {Request(5, 3, 5, 3), 1, {256, 256, 768, 0, 0, 0, 0}},  // wholly right of and below: all background
  };
  for (const Case& c : cases) {
    const BackgroundLayout l = ComputeBackground(c.request, true, c.bytes);
    EXPECT_EQ((std::vector<int64_t>{l.width, l.height, l.rowBytes, l.topLines, l.leftBytes, l.validRowBytes, l.validRows}),
              c.expected);
  }
}

TEST(ChannelSelectionTest, TriplesFocusCodesAndRanges) {
  struct Case {
    int32_t red, green, blue;
    std::vector<int32_t> expected;  // red, green, blue, has focus, focus code
  };
  const Case cases[] = {
      {-3, -3, 3, {5, 4, 3, 0, 0}},   {-3, 1, 3, {-1, 1, 3, 0, 0}},   {2, -3, 0, {2, 1, 0, 0, 0}},
      {-3, -3, -3, {-1, -1, -1, 0, 0}}, {-3, -1, 0, {-1, -1, 0, 0, 0}}, {5, 4, -3, {5, 4, 3, 0, 0}},
      {(1000 << 16) | 2, (1000 << 16) | 1, 1000 << 16, {2, 1, 0, 1, 1000}},
      {(1001 << 16) | 2, (1000 << 16), -3, {2, 0, 0xFFFD, 1, 1000}},
  };
  for (const Case& c : cases) {
    const ChannelChoice got = ResolveChannels(c.red, c.green, c.blue);
    EXPECT_EQ((std::vector<int32_t>{got.red, got.green, got.blue, got.hasFocus, got.focusCode}), c.expected)
        << c.red << "," << c.green << "," << c.blue;
  }
  EXPECT_TRUE(ResolveChannels(0, -2, 0).white());
  // blue, channel count, samples -> first, last (last < first: none)
  const std::vector<std::vector<int32_t>> ranges = {
      {0, 1, 3, 0, 0}, {0, 5, 1, 0, 2}, {3, 5, 1, 3, 4}, {4, 5, 1, 4, 4}, {5, 5, 1, 0, -1}, {-1, 5, 1, 0, -1}};
  for (const auto& r : ranges) {
    const ChannelRange got = ChannelsToRead(r[0], static_cast<uint32_t>(r[1]), static_cast<uint32_t>(r[2]));
    EXPECT_EQ((std::vector<int32_t>{got.first, got.last}), (std::vector<int32_t>{r[3], r[4]})) << "blue " << r[0];
  }
}

}  // namespace
}  // namespace Render

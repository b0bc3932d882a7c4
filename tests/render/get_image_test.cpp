// GetImage pixel for pixel against the oracle's composition of the same tiles, over generated
// slides that cover the fast path, clipping, shrinking, 16-bit output, channels, focus and sparse
// levels; and the argument rules that need no oracle.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

#include "Pipeline/SourceAgentHolder.h"

#include "HugeCache/DecodedTileCache.h"
#include "region_support.h"

namespace render_test {
namespace {

// Generated slides by name (made once per process).
const std::map<std::string, std::string> kSlides = {
    {"jpeg", "--width 1000 --height 700 --tile 256 --levels 0,1,2 --syntax jpeg"},
    {"absent", "--width 1200 --height 900 --tile 256 --levels 0,3 --syntax explicit"},
    {"absent-jpeg", "--width 1100 --height 600 --tile 256 --levels 0,3 --syntax jpeg"},
    {"fluor", "--width 600 --height 500 --tile 256 --levels 0,1 --syntax jpeg --channels 5"},
    {"fluor16", "--width 500 --height 300 --tile 256 --levels 0 --syntax explicit --bits 16 --channels 3"},
    {"zstack", "--width 700 --height 500 --tile 256 --levels 0,1 --syntax jpeg --focal-planes 3 --extended-focus"},
    {"sparse", "--width 1100 --height 800 --tile 256 --levels 0 --syntax jpeg --organization sparse "
               "--missing-tiles 4"},
    {"big-tiles", "--width 1300 --height 1100 --tile 512 --levels 0,1 --syntax jpeg"},
    {"j2k", "--width 600 --height 400 --tile 256 --levels 0 --syntax jpeg2000"},
};

std::filesystem::path SlidePath(const std::string& name) {
  return module_test::MakeSlide("render-" + name, kSlides.at(name));
}

constexpr LONG kFocus = 1000 << 16;  // focus code 1000: the middle plane

struct Case {
  const char* name;
  const char* slide;
  Region region;
  LONG red, green, blue;  // as the host passes them
  bool wide;              // configuration key 207
  int oracleBlue;         // first channel the oracle reads (-1: none)
  int oraclePlane;        // library plane (-1: none chosen)
};

const Case kCases[] = {
    {"AlignedTileFastPath", "jpeg", {1, 1, 1, 1, 0}, 0, 0, 0, false, 0, -1},
    {"GridCrossingTileBoundaries", "jpeg", {0, 0, 2, 1, 0}, 0, 0, 0, false, 0, -1},
    {"RightEdgeTileGoesGeneral", "jpeg", {3, 2, 3, 2, 0}, 0, 0, 0, false, 0, -1},
    {"LeftOfAndAboveSlide", "jpeg", {-3, -2, -1, -1, 0}, 0, 0, 0, false, 0, -1},
    {"RightOfAndBelowSlide", "jpeg", {5, 4, 6, 5, 0}, 0, 0, 0, false, 0, -1},
    {"OverlapsEveryEdge", "jpeg", {-1, -1, 4, 3, 0}, 0, 0, 0, false, 0, -1},
    {"PresentLevelOne", "jpeg", {0, 0, 1, 1, 1}, 0, 0, 0, false, 0, -1},
    {"ShrunkByTwo", "absent", {0, 0, 2, 1, 1}, 0, 0, 0, false, 0, -1},
    {"ShrunkByFour", "absent", {-1, 0, 1, 0, 2}, 0, 0, 0, false, 0, -1},
    {"ShrunkJpegByTwo", "absent-jpeg", {0, 0, 2, 1, 1}, 0, 0, 0, false, 0, -1},
    {"FluorFirstTriple", "fluor", {0, 0, 2, 1, 0}, 2, 1, 0, false, 0, -1},
    {"FluorSecondTripleOfTwo", "fluor", {0, 0, 2, 1, 0}, 5, 4, 3, false, 3, -1},
    {"FluorSameTripleRule", "fluor", {0, 0, 1, 1, 0}, -3, -3, 3, false, 3, -1},
    {"FluorNoTripleMeansNoChannel", "fluor", {0, 0, 1, 1, 0}, 1, -3, -3, false, -1, -1},
    {"FluorBeyondSlide", "fluor", {0, 0, 1, 1, 0}, 8, 7, 6, false, -1, -1},
    {"FluorShrunk", "fluor", {0, 0, 1, 0, 1}, 2, 1, 0, false, 0, -1},
    {"Fluor16HighBytes", "fluor16", {0, 0, 1, 1, 0}, 2, 1, 0, false, 0, -1},
    {"Fluor16Wide", "fluor16", {0, 0, 1, 1, 0}, 2, 1, 0, true, 0, -1},
    {"ExtendedFocusWithoutPlane", "zstack", {0, 0, 2, 1, 0}, 0, 0, 0, false, 0, -1},
    {"MiddlePlane", "zstack", {0, 0, 2, 1, 0}, kFocus, kFocus, kFocus, false, 0, 1},
    {"UpperPlane", "zstack", {0, 0, 1, 1, 1}, kFocus + (1 << 16), kFocus + (1 << 16), kFocus + (1 << 16), false, 0, 2},
    {"SparseMissingTiles", "sparse", {0, 0, 4, 3, 0}, 0, 0, 0, false, 0, -1},
    {"BigSourceTiles", "big-tiles", {1, 1, 3, 3, 0}, 0, 0, 0, false, 0, -1},
    {"BigSourceTilesShrunk", "big-tiles", {0, 0, 2, 2, 1}, 0, 0, 0, false, 0, -1},
    {"Jpeg2000", "j2k", {0, 0, 2, 1, 0}, 0, 0, 0, false, 0, -1},
};

class GetImageTest : public testing::TestWithParam<Case> {};

HRESULT PutWide(IKLVZorvel3* slide, bool on) { return module_test::PutBool(slide, 207, on); }

TEST_P(GetImageTest, MatchesTheOracle) {
  const Case& c = GetParam();
  const std::filesystem::path path = SlidePath(c.slide);
  ASSERT_FALSE(path.empty());
  Slide slide = OpenSlide(path);
  ASSERT_EQ(PutWide(slide.ref.Get(), c.wide), S_OK);
  ComPtr<IKLVBitmapImage> bitmap = NewBitmap();
  const std::vector<BYTE> expected = Expected(path, c.region, c.oracleBlue, c.oraclePlane, c.wide);
  // Twice: the second call finds the bitmap sized and (where cached) the tiles decoded.
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(GetImage(slide.ref.Get(), c.region, c.red, c.green, c.blue, bitmap.Get()), S_OK) << "pass " << pass;
    const Picture picture = Read(bitmap.Get());
    EXPECT_EQ(picture.width, (c.region.x2 - c.region.x1 + 1) * 256);
    EXPECT_EQ(picture.height, (c.region.y2 - c.region.y1 + 1) * 256);
    EXPECT_EQ(picture.format, c.wide ? 0x0010300C : 0x00021808);
    ASSERT_EQ(picture.bytes.size(), expected.size());
    EXPECT_TRUE(picture.bytes == expected) << "pass " << pass << ": pixels differ from the oracle";
  }
}

INSTANTIATE_TEST_SUITE_P(Slides, GetImageTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// Arguments that are answered before or without reading tiles.
TEST(GetImageArgumentsTest, AnswersWithoutTiles) {
  const std::filesystem::path path = SlidePath("jpeg");
  ASSERT_FALSE(path.empty());
  Slide slide = OpenSlide(path);
  ComPtr<IKLVBitmapImage> bitmap = NewBitmap();
  EXPECT_EQ(slide->GetImage(0, 0, 0, 0, 10, 0, 0, 0, bitmap.Get()), E_INVALIDARG);
  EXPECT_EQ(slide->GetImage(0, 0, 0, 0, -1, 0, 0, 0, bitmap.Get()), E_INVALIDARG);
  EXPECT_EQ(slide->GetImage(0, 0, 0, 0, 0, 0, 0, 0, nullptr), E_INVALIDARG);
  // Any -2: all white, sized by the distance between the bounds whatever their order.
  ASSERT_EQ(slide->GetImage(2, 1, 0, 1, 0, 0, -2, 0, bitmap.Get()), S_OK);
  Picture white = Read(bitmap.Get());
  EXPECT_EQ(white.width, 768);
  EXPECT_EQ(white.height, 256);
  EXPECT_EQ(std::count(white.bytes.begin(), white.bytes.end(), 0xFF), static_cast<long>(white.bytes.size()));
  // x1 > x2 leaves the bitmap as it was.
  EXPECT_EQ(slide->GetImage(2, 0, 0, 0, 0, 0, 0, 0, bitmap.Get()), S_OK);
  EXPECT_TRUE(Read(bitmap.Get()).bytes == white.bytes);
  // A focus plane outside the stack is refused rather than read from the extended-focus image.
  const LONG belowStack = (1000 - 5) << 16;
  EXPECT_EQ(slide->GetImage(0, 0, 0, 0, 0, belowStack, belowStack, belowStack, bitmap.Get()), E_INVALIDARG);
}

size_t DecodedTiles() {
  size_t tiles = 0;
  for (const auto& partition : HugeCache::DecodedTileCache::Partitions()) tiles += partition.tiles;
  return tiles;
}

// A lossy slide's tile is kept only encoded when it is read from the slide, and enters the decoded
// cache when it is asked for again; a lossless slide has no encoded cache and files it at once.
TEST(GetImageCacheTest, DecodedCacheTakesTilesAskedForAgain) {
  const struct {
    const char* slide;
    size_t afterFirst, afterSecond;
  } cases[] = {{"jpeg", 0, 6}, {"absent", 6, 6}};
  const Region region{0, 0, 2, 1, 0};
  for (const auto& c : cases) {
    Slide slide = OpenSlide(SlidePath(c.slide));
    ComPtr<IKLVBitmapImage> bitmap = NewBitmap();
    const size_t before = DecodedTiles();
    ASSERT_EQ(GetImage(slide.ref.Get(), region, 0, 0, 0, bitmap.Get()), S_OK);
    EXPECT_EQ(DecodedTiles() - before, c.afterFirst) << c.slide;
    ASSERT_EQ(GetImage(slide.ref.Get(), region, 0, 0, 0, bitmap.Get()), S_OK);
    EXPECT_EQ(DecodedTiles() - before, c.afterSecond) << c.slide;
  }
}

}  // namespace
}  // namespace render_test

namespace render_test {
namespace {

// Once rendered, a region and a single tile come from the caches: the slide's files may be gone.
TEST(GetImageCacheTest, RenderedTilesNeedTheFileNoMore) {
  const std::filesystem::path path = module_test::MakeSlide("render-cached", kSlides.at("jpeg"));
  ASSERT_FALSE(path.empty());
  const Region regions[] = {{0, 0, 2, 1, 0}, {1, 1, 1, 1, 0}};
  std::vector<std::vector<BYTE>> expected;
  for (const Region& r : regions) expected.push_back(Expected(path, r, 0, -1, false));
  Slide slide = OpenSlide(path);
  ComPtr<IKLVBitmapImage> bitmap = NewBitmap();
  for (const Region& r : regions) ASSERT_EQ(GetImage(slide.ref.Get(), r, 0, 0, 0, bitmap.Get()), S_OK);
  for (const auto& entry : std::filesystem::directory_iterator(path)) {
    if (entry.path().extension() == ".dcm") std::filesystem::resize_file(entry.path(), 0);
  }
  for (size_t i = 0; i < std::size(regions); ++i) {
    ASSERT_EQ(GetImage(slide.ref.Get(), regions[i], 0, 0, 0, bitmap.Get()), S_OK) << i;
    EXPECT_TRUE(Read(bitmap.Get()).bytes == expected[i]) << "region " << i << " differs after the file went";
  }
}

// An idle agent reads the view's footprint on the next finer level ahead into the encoded cache:
// once it is done, that region renders with the slide's files gone.
TEST(GetImageCacheTest, IdleAgentReadsTheFinerLevelAhead) {
  const std::filesystem::path path = module_test::MakeSlide("render-read-ahead", kSlides.at("jpeg"));
  ASSERT_FALSE(path.empty());
  const Region view{0, 0, 1, 1, 1}, finer{0, 0, 3, 2, 0};
  const std::vector<BYTE> expected = Expected(path, finer, 0, -1, false);
  Slide slide = OpenSlide(path);
  ComPtr<IKLVBitmapImage> bitmap = NewBitmap();
  ASSERT_EQ(GetImage(slide.ref.Get(), view, 0, 0, 0, bitmap.Get()), S_OK);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!Pipeline::SourceAgentHolder::Instance().ReadAheadDone() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(Pipeline::SourceAgentHolder::Instance().ReadAheadDone());
  for (const auto& entry : std::filesystem::directory_iterator(path)) {
    if (entry.path().extension() == ".dcm") std::filesystem::resize_file(entry.path(), 0);
  }
  ASSERT_EQ(GetImage(slide.ref.Get(), finer, 0, 0, 0, bitmap.Get()), S_OK);
  EXPECT_TRUE(Read(bitmap.Get()).bytes == expected) << "the finer level was not read ahead";
}

}  // namespace
}  // namespace render_test

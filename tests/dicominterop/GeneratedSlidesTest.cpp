// The slide library on slides written by the project's generator (pydicom): level discovery
// with absent levels, focal planes, optical paths, extended focus, TILED_SPARSE with missing
// tiles, every offset-table variant and multi-fragment frames. Every frame read through the
// library must equal pydicom's frame at the same tile address.
#include <gtest/gtest.h>

#include <set>

#include "SlideTestSupport.h"

namespace {

using namespace slidetest;
using namespace DicomInteropDefines;

struct Variant {
  const char* name;
  const char* options;
  std::set<int> levels;  // normal levels present
  uint32_t planes, channels;
  bool extended, tiledFull;
  EWSITransferSyntaxes syntax;
};

void PrintTo(const Variant& v, std::ostream* out) { *out << v.name; }

class GeneratedSlides : public ::testing::TestWithParam<Variant> {};

TEST_P(GeneratedSlides, LevelsPlanesChannelsAndEveryTileMatchPydicom) {
  const Variant& v = GetParam();
  const std::string dir = GeneratedSlide(v.name, v.options);
  ASSERT_FALSE(dir.empty()) << "generator failed for " << v.options;
  long count = 0, result = -1;
  auto source = OpenSource(dir, &count, &result);
  ASSERT_EQ(result, WSI_OK);
  ASSERT_EQ(count, 1);
  bool extended = !v.extended;
  ASSERT_EQ(source->IsExtendedFocus(&extended), WSI_OK);
  EXPECT_EQ(extended, v.extended);

  std::vector<std::unique_ptr<CWSIZoomImage>> normal(10), edf(10);
  for (int level = 0; level < 10; ++level) {
    normal[level] = std::make_unique<CWSIZoomImage>();
    const long rc = normal[level]->OpenZoomLevel(source.get(), false, level, true);
    EXPECT_EQ(rc == WSI_OK, v.levels.count(level) == 1) << "level " << level;
    if (rc != WSI_OK) {
      EXPECT_LT(rc, 0);
      normal[level].reset();
      continue;
    }
    EXPECT_EQ(normal[level]->GetZStackCount(), v.planes);
    EXPECT_EQ(normal[level]->GetChannelCount(), v.channels);
    EXPECT_EQ(normal[level]->IsTiledFull(), v.tiledFull);
    EXPECT_EQ(normal[level]->GetTransferSyntax(), v.syntax);
    edf[level] = std::make_unique<CWSIZoomImage>();
    if (edf[level]->OpenZoomLevel(source.get(), true, level, true) != WSI_OK) edf[level].reset();
    EXPECT_EQ(edf[level] != nullptr, v.extended);
  }

  const std::vector<ReferenceFrame> frames = PydicomSlideFrames(dir);
  ASSERT_FALSE(frames.empty());
  size_t compared = 0;
  for (const ReferenceFrame& f : frames) {
    const auto& image = f.extended ? edf[f.level] : normal[f.level];
    ASSERT_TRUE(image) << "level " << f.level << " extended " << f.extended;
    const TileRead tile = ReadTile(*image, f.plane, f.column, f.row, f.channel, f.extended != 0);
    ASSERT_EQ(tile.result, WSI_OK) << f.binFile;
    if (f.binFile == "missing") {
      EXPECT_FALSE(tile.exists);
      EXPECT_TRUE(tile.nullData);
      EXPECT_TRUE(tile.bytes.empty());
      continue;
    }
    EXPECT_TRUE(tile.exists);
    EXPECT_EQ(tile.bytes, ReadBytes(f.binFile)) << f.binFile;
    ++compared;
  }
  EXPECT_GT(compared, 0u);
}

const Variant kVariants[] = {
    {"jpeg_absent_levels", "--width 1024 --height 768 --levels 0,2 --seed 3", {0, 2}, 1, 1, false, true,
     WSI_TS_JPEG_BASELINE},
    {"explicit_planes", "--width 512 --height 512 --syntax explicit --focal-planes 3 --z-spacing 2 --levels 0,1",
     {0, 1}, 3, 1, false, true, WSI_TS_EXPLICIT_VR_LITTLE_ENDIAN},
    {"implicit_16bit_fluorescence", "--width 512 --height 384 --syntax implicit --bits 16 --channels 3 --levels 0",
     {0}, 1, 3, false, true, WSI_TS_IMPLICIT_VR_LITTLE_ENDIAN},
    {"sparse_missing", "--width 1024 --height 1024 --organization sparse --missing-tiles 3 --levels 0,1", {0, 1}, 1,
     1, false, false, WSI_TS_JPEG_BASELINE},
    {"extended_offset_table", "--width 512 --height 512 --offset-table extended --levels 0", {0}, 1, 1, false, true,
     WSI_TS_JPEG_BASELINE},
    {"empty_table_fragments", "--width 512 --height 512 --offset-table empty --fragments-per-frame 3 --levels 0",
     {0}, 1, 1, false, true, WSI_TS_JPEG_BASELINE},
    {"basic_table_fragments", "--width 512 --height 512 --fragments-per-frame 2 --levels 0", {0}, 1, 1, false,
     true, WSI_TS_JPEG_BASELINE},
    {"edf_split_planes_paths",
     "--width 512 --height 512 --focal-planes 3 --extended-focus --split-planes --channels 2 --split-paths "
     "--levels 0,1",
     {0, 1}, 3, 2, true, false, WSI_TS_JPEG_BASELINE},
    {"jpeg2000_fluorescence", "--width 512 --height 512 --syntax jpeg2000 --channels 2 --levels 0", {0}, 1, 2,
     false, true, WSI_TS_JPEG2000},
};

INSTANTIATE_TEST_SUITE_P(Generator, GeneratedSlides, ::testing::ValuesIn(kVariants),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

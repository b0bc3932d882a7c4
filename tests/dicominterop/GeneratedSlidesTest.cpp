// The slide library on slides written by the project's generator (pydicom): level discovery
// with absent levels, focal planes, optical paths, extended focus, TILED_SPARSE with missing
// tiles, every offset-table variant and multi-fragment frames. Every frame read through the
// library must equal pydicom's frame at the same tile address.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

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

using Images = std::vector<std::unique_ptr<CWSIZoomImage>>;

// Every frame again, the frames of each (image, plane, channel) in one batch read into buffers
// sized by GetEncodedTileSize, with a position outside the level added at the end: it fails on
// its own and the batch reports it.
void ExpectBatchReadsMatch(const std::vector<ReferenceFrame>& frames, const Images& normal, const Images& edf) {
  std::map<std::tuple<int, int, int, int>, std::vector<const ReferenceFrame*>> groups;
  for (const ReferenceFrame& f : frames) groups[{f.level, f.extended, f.plane, f.channel}].push_back(&f);
  for (const auto& [key, members] : groups) {
    const auto& [level, extended, plane, channel] = key;
    const CWSIZoomImage& image = extended ? *edf[level] : *normal[level];
    std::vector<WSIEncodedTileRead> reads(members.size() + 1);
    std::vector<Bytes> buffers(members.size());
    for (size_t i = 0; i < members.size(); ++i) {
      reads[i].x = static_cast<uint32_t>(members[i]->column);
      reads[i].y = static_cast<uint32_t>(members[i]->row);
      uint64_t size = 0;
      ASSERT_EQ(image.GetEncodedTileSize(plane, reads[i].x, reads[i].y, channel, &size, nullptr, nullptr, nullptr),
                WSI_OK);
      buffers[i].resize(size);
      reads[i].destination = buffers[i].data();
      reads[i].capacity = size;
    }
    reads.back().x = 1u << 20;
    const long batch = extended ? image.ReadEncodedTilesFromExtendedFocusInto(channel, reads.data(), reads.size())
                                : image.ReadEncodedTilesInto(plane, channel, reads.data(), reads.size());
    EXPECT_EQ(batch, WSI_E_INVALIDARG);
    EXPECT_EQ(reads.back().result, WSI_E_INVALIDARG);
    for (size_t i = 0; i < members.size(); ++i) {
      ASSERT_EQ(reads[i].result, WSI_OK) << members[i]->binFile;
      const Bytes expected = members[i]->binFile == "missing" ? Bytes() : ReadBytes(members[i]->binFile);
      EXPECT_EQ(reads[i].size, expected.size()) << members[i]->binFile;
      EXPECT_EQ(buffers[i], expected) << members[i]->binFile;
    }
  }
}

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
  ExpectBatchReadsMatch(frames, normal, edf);
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
    // Layouts of other writers: no Dimension Organization Type, frames in Morton or random order
    // placed by their positions; no Image Type; a level split over instances.
    {"morton_no_organization_no_image_type", "--width 1280 --height 768 --levels 0,1 --frame-order morton --no-image-type",
     {0, 1}, 1, 1, false, false, WSI_TS_JPEG_BASELINE},
    {"random_order_split_level", "--width 1024 --height 768 --levels 0 --frame-order random --split-level 3",
     {0}, 1, 1, false, false, WSI_TS_JPEG_BASELINE},
    {"concatenation_planes", "--width 1024 --height 768 --levels 0,1 --focal-planes 2 --split-level 3 --concatenation",
     {0, 1}, 2, 1, false, true, WSI_TS_JPEG_BASELINE},
    {"split_level_positions", "--width 768 --height 512 --levels 0 --split-level 2 --channels 2", {0}, 1, 2, false,
     false, WSI_TS_JPEG_BASELINE},
};

INSTANTIATE_TEST_SUITE_P(Generator, GeneratedSlides, ::testing::ValuesIn(kVariants),
                         [](const auto& info) { return std::string(info.param.name); });

// Level 0 of a small generated slide of three tiles, opened for the batch-read tests.
class BatchReads : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string dir = GeneratedSlide("batch_small_destination", "--width 768 --height 256 --levels 0 --seed 9");
    ASSERT_FALSE(dir.empty());
    long count = 0, result = -1;
    source = OpenSource(dir, &count, &result);
    ASSERT_EQ(result, WSI_OK);
    ASSERT_EQ(image.OpenZoomLevel(source.get(), false, 0, true), WSI_OK);
  }
  std::unique_ptr<CDirectorySource> source;
  CWSIZoomImage image;
};

// A destination one byte short fails that entry alone and is not written past; its neighbours
// in the same joined read are still read.
TEST_F(BatchReads, DestinationTooSmallFailsOnlyItsEntry) {
  WSIEncodedTileRead reads[3];
  std::vector<Bytes> buffers(3);
  for (uint32_t x = 0; x < 3; ++x) {
    uint64_t size = 0;
    ASSERT_EQ(image.GetEncodedTileSize(0, x, 0, 0, &size, nullptr, nullptr, nullptr), WSI_OK);
    buffers[x].assign(size + 1, 0xAB);
    reads[x].x = x;
    reads[x].destination = buffers[x].data();
    reads[x].capacity = x == 1 ? size - 1 : size;
  }
  EXPECT_EQ(image.ReadEncodedTilesInto(0, 0, reads, 3), WSI_E_INVALIDARG);
  EXPECT_EQ(reads[1].result, WSI_E_INVALIDARG);
  EXPECT_EQ(reads[1].size, 0u);
  EXPECT_TRUE(std::all_of(buffers[1].begin(), buffers[1].end(), [](uint8_t b) { return b == 0xAB; }));
  for (uint32_t x : {0u, 2u}) {
    const TileRead tile = ReadTile(image, 0, x, 0, 0);
    ASSERT_EQ(reads[x].result, WSI_OK);
    EXPECT_EQ(Bytes(buffers[x].begin(), buffers[x].end() - 1), tile.bytes);
    EXPECT_EQ(buffers[x].back(), 0xAB);
  }
}

// The extended-focus reads into caller memory refuse an image of the normal focus stack.
TEST_F(BatchReads, ExtendedFocusReadsRefuseANormalImage) {
  uint8_t byte = 0;
  uint64_t size = 1;
  long errorCode = 0;
  EXPECT_EQ(image.ReadEncodedTileFromExtendedFocusInto(0, 0, 0, &byte, 1, &size, nullptr, &errorCode, nullptr),
            WSI_E_NOT_OPEN);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(errorCode, WSI_E_NOT_OPEN);
  WSIEncodedTileRead read{0, 0, &byte, 1};
  EXPECT_EQ(image.ReadEncodedTilesFromExtendedFocusInto(0, &read, 1), WSI_E_NOT_OPEN);
  EXPECT_EQ(read.result, WSI_E_NOT_OPEN);
}

// The read into memory provided once the size is known: the provider is asked exactly once, with
// the tile's size, and only for a stored tile of the right kind of image.
TEST_F(BatchReads, ProvidedReadAsksForTheTileSizeOnce) {
  const TileRead expected = ReadTile(image, 0, 1, 0, 0);
  struct Memory {
    bool give = true;
    int asked = 0;
    uint64_t askedSize = 0;
    Bytes bytes;
  };
  const auto provide = [](void* context, uint64_t size) -> uint8_t* {
    auto& memory = *static_cast<Memory*>(context);
    ++memory.asked;
    memory.askedSize = size;
    memory.bytes.resize(size);
    return memory.give ? memory.bytes.data() : nullptr;
  };
  struct Case {
    bool extended;
    uint32_t x;
    bool give;
    long result;
    int asked;
  } cases[] = {
      {false, 1, true, WSI_OK, 1},
      {false, 1u << 20, true, WSI_E_INVALIDARG, 0},  // outside the level
      {false, 1, false, WSI_E_INVALIDARG, 1},        // the provider gives the read up
      {true, 1, true, WSI_E_NOT_OPEN, 0},            // not an extended-focus image
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "extended " << c.extended << " x " << c.x << " give " << c.give);
    Memory memory;
    memory.give = c.give;
    uint64_t size = 7;
    long errorCode = 0;
    EXPECT_EQ(image.ReadEncodedTileProvided(c.extended, 0, c.x, 0, 0, provide, &memory, &size, &errorCode), c.result);
    EXPECT_EQ(errorCode, c.result);
    EXPECT_EQ(memory.asked, c.asked);
    if (c.result != WSI_OK) {
      EXPECT_EQ(size, 0u);
      continue;
    }
    EXPECT_EQ(memory.askedSize, expected.bytes.size());
    EXPECT_EQ(size, expected.bytes.size());
    EXPECT_EQ(memory.bytes, expected.bytes);
  }
}

}  // namespace

// Bad-input corpus: each case = a generated file + one mutation (truncation, overwritten bytes
// in offset tables or item headers, foreign files) + the expected outcome. The library must
// skip the file or fail its reads with an error code; never crash, hang or report success
// for bytes it could not read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>

#include "SlideTestSupport.h"

namespace {

using namespace slidetest;
using namespace DicomInteropDefines;

enum class Outcome { Skipped, ReadsFail, NoCrash };

struct Layout {
  size_t pixelData = 0, botValues = 0, botLength = 0, firstItem = 0, secondItem = 0;
};

uint32_t Le32(const Bytes& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, &b[at], 4);
  return v;
}

Layout Locate(const Bytes& file) {
  static const uint8_t kPixel[] = {0xe0, 0x7f, 0x10, 0x00, 'O', 'B', 0, 0, 0xff, 0xff, 0xff, 0xff};
  Layout l;
  auto it = std::search(file.begin(), file.end(), std::begin(kPixel), std::end(kPixel));
  if (it == file.end()) return l;
  l.pixelData = static_cast<size_t>(it - file.begin());
  l.botLength = Le32(file, l.pixelData + 16);
  l.botValues = l.pixelData + 20;
  l.firstItem = l.botValues + l.botLength;
  l.secondItem = l.firstItem + 8 + Le32(file, l.firstItem + 4);
  return l;
}

using Mutation = std::function<void(Bytes&, const Layout&)>;

Mutation TruncateAt(std::function<size_t(const Bytes&, const Layout&)> where) {
  return [where](Bytes& b, const Layout& l) { b.resize(std::min(b.size(), where(b, l))); };
}

Mutation Overwrite(std::function<size_t(const Layout&)> where, std::vector<uint8_t> bytes) {
  return [where, bytes](Bytes& b, const Layout& l) {
    const size_t at = where(l);
    for (size_t i = 0; i < bytes.size() && at + i < b.size(); ++i) b[at + i] = bytes[i];
  };
}

// Overwrites the value of the first explicit-VR element with a short length that has this tag.
Mutation SetValue(uint16_t group, uint16_t element, std::vector<uint8_t> bytes) {
  const std::vector<uint8_t> tag = {uint8_t(group), uint8_t(group >> 8), uint8_t(element), uint8_t(element >> 8)};
  return [tag, bytes](Bytes& b, const Layout&) {
    auto it = std::search(b.begin(), b.end(), tag.begin(), tag.end());
    ASSERT_NE(it, b.end());
    std::copy(bytes.begin(), bytes.end(), it + 8);
  };
}

struct Case {
  const char* name;
  const char* base;  // generated slide variant holding one level-0 file
  Mutation mutate;
  Outcome expected;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

const char* BaseOptions(const std::string& base) {
  if (base == "eot") return "--width 512 --height 512 --levels 0 --offset-table extended --seed 5";
  if (base == "native") return "--width 512 --height 512 --levels 0 --syntax explicit --seed 5";
  return "--width 512 --height 512 --levels 0 --seed 5";
}

// The whole level once more in one batch read: each entry must end as its own read did.
void ExpectBatchReadAgrees(const CWSIZoomImage& level, const std::vector<WSIEncodedTileRead>& positions,
                           const std::vector<TileRead>& single) {
  std::vector<WSIEncodedTileRead> reads = positions;
  std::vector<Bytes> buffers(reads.size());
  for (size_t i = 0; i < reads.size(); ++i) {
    uint64_t size = 0;
    if (level.GetEncodedTileSize(0, reads[i].x, reads[i].y, 0, &size, nullptr, nullptr, nullptr) != WSI_OK) continue;
    buffers[i].resize(size);
    reads[i].destination = buffers[i].data();
    reads[i].capacity = size;
  }
  level.ReadEncodedTilesInto(0, 0, reads.data(), reads.size());
  for (size_t i = 0; i < reads.size(); ++i) {
    EXPECT_EQ(reads[i].result, single[i].result) << "tile " << i;
    if (single[i].result == WSI_OK) {
      EXPECT_EQ(buffers[i], single[i].bytes) << "tile " << i;
    }
  }
}

// Opens the mutated slide and reads every tile; returns how many reads failed (-1: skipped).
int ReadEverything(const std::string& dir) {
  long count = -1, result = -1;
  auto source = OpenSource(dir, &count, &result);
  EXPECT_EQ(result, WSI_OK);
  if (count == 0) return -1;
  EXPECT_EQ(count, 1);
  CWSIZoomImage level;
  const long rc = level.OpenZoomLevel(source.get(), false, 0, true);
  if (rc != WSI_OK) {
    EXPECT_LT(rc, 0);
    return 1;
  }
  int failures = 0;
  const uint32_t across = (level.GetTotalPixelMatrixColumns() + level.GetColumns() - 1) / level.GetColumns();
  const uint32_t down = (level.GetTotalPixelMatrixRows() + level.GetRows() - 1) / level.GetRows();
  std::vector<WSIEncodedTileRead> positions;
  std::vector<TileRead> single;
  for (uint32_t y = 0; y < down; ++y) {
    for (uint32_t x = 0; x < across; ++x) {
      const TileRead tile = ReadTile(level, 0, x, y, 0);
      if (tile.result != WSI_OK) {
        EXPECT_LT(tile.result, 0);
        EXPECT_EQ(tile.errorCode, tile.result);
        EXPECT_TRUE(tile.nullData);
        ++failures;
      } else if (tile.exists) {
        EXPECT_FALSE(tile.bytes.empty());
      }
      positions.push_back(WSIEncodedTileRead{x, y});
      single.push_back(tile);
    }
  }
  ExpectBatchReadAgrees(level, positions, single);
  return failures;
}

class BadInput : public ::testing::TestWithParam<Case> {};

TEST_P(BadInput, IsSkippedOrFailsWithACode) {
  const Case& c = GetParam();
  const std::string base = GeneratedSlide(std::string("bad_base_") + c.base, BaseOptions(c.base));
  ASSERT_FALSE(base.empty());
  Bytes file = ReadBytes(base + "/level0_z0_p1.dcm");
  ASSERT_FALSE(file.empty());
  c.mutate(file, Locate(file));
  const std::string dir = ScratchDir(std::string("bad_") + c.name);
  WriteBytes(dir + "/slide.dcm", file);
  const int failures = ReadEverything(dir);
  if (c.expected == Outcome::Skipped) {
    EXPECT_EQ(failures, -1);
  } else if (c.expected == Outcome::ReadsFail) {
    EXPECT_GT(failures, 0);
  }
}

size_t Size(const Bytes& b, const Layout&) { return b.size(); }

const Case kCases[] = {
    {"empty_file", "jpeg", TruncateAt([](const Bytes&, const Layout&) { return size_t{0}; }), Outcome::Skipped},
    {"preamble_only", "jpeg", TruncateAt([](const Bytes&, const Layout&) { return size_t{131}; }), Outcome::Skipped},
    {"meta_header_cut", "jpeg", TruncateAt([](const Bytes&, const Layout&) { return size_t{200}; }),
     Outcome::Skipped},
    {"dataset_cut", "jpeg", TruncateAt([](const Bytes&, const Layout& l) { return l.pixelData / 2; }),
     Outcome::Skipped},
    {"pixel_header_cut", "jpeg", TruncateAt([](const Bytes&, const Layout& l) { return l.pixelData + 6; }),
     Outcome::NoCrash},
    {"offset_table_cut", "jpeg", TruncateAt([](const Bytes&, const Layout& l) { return l.botValues + 2; }),
     Outcome::ReadsFail},
    {"first_fragment_cut", "jpeg", TruncateAt([](const Bytes&, const Layout& l) { return l.firstItem + 20; }),
     Outcome::ReadsFail},
    {"last_bytes_cut", "jpeg", TruncateAt([](const Bytes& b, const Layout& l) { return Size(b, l) - 9; }),
     Outcome::ReadsFail},
    {"native_data_cut", "native", TruncateAt([](const Bytes& b, const Layout& l) { return Size(b, l) - 1000; }),
     Outcome::ReadsFail},
    {"offset_table_length_odd", "jpeg", Overwrite([](const Layout& l) { return l.pixelData + 16; }, {0x0f}),
     Outcome::ReadsFail},
    {"item_length_huge", "jpeg", Overwrite([](const Layout& l) { return l.secondItem + 4; }, {0xf0, 0xff, 0xff, 0x7f}),
     Outcome::ReadsFail},
    {"item_length_undefined", "jpeg", Overwrite([](const Layout& l) { return l.firstItem + 4; }, {0xff, 0xff, 0xff, 0xff}),
     Outcome::ReadsFail},
    {"item_tag_broken", "jpeg", Overwrite([](const Layout& l) { return l.secondItem; }, {0x00, 0x00}),
     Outcome::ReadsFail},
    {"delimiter_missing", "jpeg", TruncateAt([](const Bytes& b, const Layout& l) { return Size(b, l) - 8; }),
     Outcome::ReadsFail},
    // Found by fuzzing: a declared plane count of 2^24 made building the level's planes spin.
    {"focal_plane_count_huge", "jpeg", SetValue(0x0048, 0x0303, {0, 0, 0, 1}), Outcome::NoCrash},
    {"not_dicom", "jpeg", [](Bytes& b, const Layout&) { b.assign(4096, 'x'); }, Outcome::Skipped},
    {"dicm_marker_then_garbage", "jpeg",
     [](Bytes& b, const Layout&) {
       b.assign(4096, 0xa5);
       std::memcpy(&b[128], "DICM", 4);
     },
     Outcome::Skipped},
};

INSTANTIATE_TEST_SUITE_P(Corpus, BadInput, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Offset tables are trusted only as far as each frame's item header agrees: a wrong entry makes
// the library walk the fragments, and every tile is still the right one.
struct TableDamage {
  const char* name;
  const char* base;
  const uint8_t* table;  // the bytes that start the table element
  size_t tableSize;
  size_t entryOffset;    // from the start of the table element to the damaged entry
  int64_t delta;         // added to the entry (little endian, 8 bytes wide for the extended table)
};

void PrintTo(const TableDamage& c, std::ostream* out) { *out << c.name; }

const uint8_t kExtendedOffsets[] = {0xe0, 0x7f, 0x01, 0x00, 'O', 'V'};
const uint8_t kExtendedLengths[] = {0xe0, 0x7f, 0x02, 0x00, 'O', 'V'};
const uint8_t kBasicTable[] = {0xe0, 0x7f, 0x10, 0x00, 'O', 'B', 0, 0, 0xff, 0xff, 0xff, 0xff, 0xfe, 0xff, 0x00, 0xe0};

class OffsetTableDamage : public ::testing::TestWithParam<TableDamage> {};

std::vector<Bytes> AllTiles(const std::string& dir) {
  long count = 0, result = 0;
  auto source = OpenSource(dir, &count, &result);
  CWSIZoomImage level;
  std::vector<Bytes> tiles;
  if (count < 1 || level.OpenZoomLevel(source.get(), false, 0, true) != WSI_OK) return tiles;
  for (uint32_t y = 0; y < 2; ++y) {
    for (uint32_t x = 0; x < 2; ++x) {
      const TileRead tile = ReadTile(level, 0, x, y, 0);
      EXPECT_EQ(tile.result, WSI_OK) << x << "," << y;
      tiles.push_back(tile.bytes);
    }
  }
  return tiles;
}

TEST_P(OffsetTableDamage, WalksTheFragmentsAndReadsTheRightTiles) {
  const TableDamage& c = GetParam();
  const std::string base = GeneratedSlide(std::string("bad_base_") + c.base, BaseOptions(c.base));
  ASSERT_FALSE(base.empty());
  Bytes file = ReadBytes(base + "/level0_z0_p1.dcm");
  auto it = std::search(file.begin(), file.end(), c.table, c.table + c.tableSize);
  ASSERT_NE(it, file.end());
  const size_t entry = static_cast<size_t>(it - file.begin()) + c.entryOffset;
  uint64_t value = 0;
  std::memcpy(&value, &file[entry], 4);
  value += static_cast<uint64_t>(c.delta);
  std::memcpy(&file[entry], &value, 4);
  const std::string dir = ScratchDir(std::string("table_") + c.name);
  WriteBytes(dir + "/slide.dcm", file);
  const std::vector<Bytes> expected = AllTiles(base);
  ASSERT_EQ(expected.size(), 4u);
  EXPECT_EQ(AllTiles(dir), expected);
}

const TableDamage kTableDamage[] = {
    {"basic_entry_one_byte_off", "jpeg", kBasicTable, sizeof kBasicTable, 16 + 8, 1},
    {"basic_entry_one_byte_short", "jpeg", kBasicTable, sizeof kBasicTable, 16 + 12, -1},
    {"extended_entry_beyond_the_file", "eot", kExtendedOffsets, sizeof kExtendedOffsets, 12 + 8, 0x7f7f7f7f},
    {"extended_length_one_byte_long", "eot", kExtendedLengths, sizeof kExtendedLengths, 12 + 8, 1},
};

INSTANTIATE_TEST_SUITE_P(Tables, OffsetTableDamage, ::testing::ValuesIn(kTableDamage),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BadInput, ForeignSopClassAndDirectoriesAreSkipped) {
  const std::string dir = ScratchDir("foreign");
  int status = 0;
  slidetest::Run(std::string(ZORVEL_PYTHON) + " -c \"" +
          "import pydicom;from pydicom.dataset import Dataset,FileMetaDataset;from pydicom.uid import generate_uid;"
          "m=FileMetaDataset();m.MediaStorageSOPClassUID='1.2.840.10008.5.1.4.1.1.7';"
          "m.MediaStorageSOPInstanceUID=generate_uid();m.TransferSyntaxUID='1.2.840.10008.1.2.1';"
          "d=Dataset();d.file_meta=m;d.SOPClassUID=m.MediaStorageSOPClassUID;"
          "d.SOPInstanceUID=m.MediaStorageSOPInstanceUID;d.SeriesInstanceUID=generate_uid();"
          "d.is_little_endian=True;d.is_implicit_VR=False;d.save_as('" + dir + "/sc.dcm',write_like_original=False)\"",
      &status);
  ASSERT_EQ(status, 0);
  std::filesystem::create_directories(dir + "/sub.dcm");
  long count = -1, result = -1;
  auto source = OpenSource(dir, &count, &result, true);
  EXPECT_EQ(result, WSI_OK);
  EXPECT_EQ(count, 0);
  CWSIZoomImage level;
  EXPECT_LT(level.OpenZoomLevel(source.get(), false, 0, true), 0);
  std::vector<std::u16string> unreadable;
  EXPECT_EQ(source->GetUnreadableFiles(&unreadable, nullptr, nullptr), WSI_OK);
  EXPECT_TRUE(unreadable.empty()) << "a foreign SOP class is no unreadable file";
}

// A level file stating Number of Frames 0 is listed with its code; only the widest level's
// loss hides the slide's full resolution.
TEST(BadInput, UnreadableLevelIsListedAndAHiddenLevel0Said) {
  const std::string base = GeneratedSlide("two_levels", "--width 1024 --height 1024 --tile 256 --levels 0,1 --seed 4");
  ASSERT_FALSE(base.empty());
  for (const std::string damaged : {"level0_z0_p1.dcm", "level1_z0_p1.dcm"}) {
    const std::string dir = ScratchDir("unreadable_" + damaged);
    for (const auto& entry : std::filesystem::directory_iterator(base)) {
      if (entry.path().extension() == ".dcm") std::filesystem::copy_file(entry.path(), dir / entry.path().filename());
    }
    Bytes file = ReadBytes(dir + "/" + damaged);
    static const uint8_t kFrames[] = {0x28, 0x00, 0x08, 0x00, 'I', 'S'};
    const auto at = std::search(file.begin(), file.end(), std::begin(kFrames), std::end(kFrames)) - file.begin();
    ASSERT_LT(static_cast<size_t>(at), file.size());
    std::fill_n(file.begin() + at + 8, file[at + 6], ' ');
    file[at + 8] = '0';
    WriteBytes(dir + "/" + damaged, file);

    long count = 0, result = 0;
    auto source = OpenSource(dir, &count, &result);
    std::vector<std::u16string> paths;
    std::vector<long> codes;
    bool hidden = false;
    ASSERT_EQ(source->GetUnreadableFiles(&paths, &codes, &hidden), WSI_OK);
    const std::string path = dir + "/" + damaged;
    EXPECT_EQ(paths, std::vector<std::u16string>{std::u16string(path.begin(), path.end())});
    EXPECT_EQ(codes, std::vector<long>{WSI_E_MALFORMED});
    EXPECT_EQ(hidden, damaged == "level0_z0_p1.dcm");
  }
}

TEST(BadInput, MissingDirectoryAndNullPointers) {
  long count = -1, result = 0;
  auto source = OpenSource("/nonexistent/slide/dir", &count, &result);
  EXPECT_EQ(result, WSI_E_PATH);
  EXPECT_EQ(count, 0);
  CWSIZoomImage level;
  EXPECT_EQ(level.OpenZoomLevel(nullptr, false, 0, true), WSI_E_STOP);
  EXPECT_EQ(ReadTile(level, 0, 0, 0, 0).result, WSI_E_NOT_OPEN);
  EXPECT_EQ(source->IsExtendedFocus(nullptr), WSI_E_INVALIDARG);
  EXPECT_EQ(source->GetRawZoomList(nullptr, nullptr), WSI_E_INVALIDARG);
  EXPECT_FALSE(source->GetScanmap(nullptr, 0, nullptr, nullptr));
}

}  // namespace

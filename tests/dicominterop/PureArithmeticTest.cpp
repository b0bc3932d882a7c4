// White-box tables for the pure parts of the slide library: pyramid levels, tile grids, the
// TILED_FULL frame order, level building from damaged sizes, DICOM date-times, UUID-form UIDs,
// CIELab colours, pseudo-colour tables, the range checks of metadata integers.
#include <gtest/gtest.h>

#include "CommonWSIMetadata.h"
#include "annotations/AnnotationReader.h"
#include "images/AcquisitionTime.h"
#include "images/PaletteTables.h"
#include "pyramid/LevelData.h"
#include "pyramid/PyramidMath.h"

namespace {

using namespace dicominterop;

TEST(PyramidMath, LevelNumbersFromWidths) {
  struct Row { uint32_t level0, width; int32_t level; };
  const Row rows[] = {{1024, 1024, 0}, {1024, 512, 1}, {1024, 256, 2}, {1000, 500, 1}, {1001, 501, 1},
                      {100000, 391, 8}, {1024, 700, 1}, {1024, 0, -1}, {0, 10, -1}, {512, 1024, -1}, {98304, 48, 11}};
  for (const Row& r : rows) EXPECT_EQ(PyramidLevelOf(r.level0, r.width), r.level) << r.level0 << "/" << r.width;
}

TEST(PyramidMath, TileCountsRoundUp) {
  struct Row { uint32_t pixels, tile, count; };
  const Row rows[] = {{100000, 256, 391}, {50000, 256, 196}, {512, 256, 2}, {1, 256, 1},
                      {0, 256, 0}, {10, 0, 0}, {0xffffffffu, 1, 0xffffffffu}};
  for (const Row& r : rows) EXPECT_EQ(TileCount(r.pixels, r.tile), r.count) << r.pixels << "/" << r.tile;
}

TEST(PyramidMath, TiledFullOrderIsColumnRowPlanePath) {
  struct Row { uint64_t frame; FullTileAddress a; };
  const Row rows[] = {{0, {0, 0, 0, 0}}, {2, {2, 0, 0, 0}}, {3, {0, 1, 0, 0}}, {5, {2, 1, 0, 0}},
                      {6, {0, 0, 1, 0}}, {11, {2, 1, 1, 0}}, {12, {0, 0, 0, 1}}, {23, {2, 1, 1, 1}}};
  for (const Row& r : rows) {
    const FullTileAddress a = TiledFullAddress(r.frame, 3, 2, 2);
    EXPECT_EQ(a.column, r.a.column) << r.frame;
    EXPECT_EQ(a.row, r.a.row) << r.frame;
    EXPECT_EQ(a.plane, r.a.plane) << r.frame;
    EXPECT_EQ(a.path, r.a.path) << r.frame;
  }
}

// A TILED_FULL level of 3 x 2 tiles and 12 frames: the planes are the ones its frames fall on,
// whatever count the file declares; a matrix without a tile is refused.
TEST(LevelBuilder, DeclaredSizesDoNotOutweighTheFrames) {
  struct Row { uint32_t totalColumns, declaredPlanes; long rc; size_t planes; };
  const Row rows[] = {{300, 2, DicomInteropDefines::WSI_OK, 2}, {300, 1u << 24, DicomInteropDefines::WSI_OK, 2},
                      {0, 2, DicomInteropDefines::WSI_E_MALFORMED, 0}};
  for (const Row& r : rows) {
    auto info = std::make_shared<InstanceInfo>();
    info->columns = info->rows = 100;
    info->totalColumns = r.totalColumns;
    info->totalRows = 200;
    info->frameCount = 12;
    info->focalPlaneCount = r.declaredPlanes;
    info->tiledFull = true;
    info->opticalPaths.emplace_back();
    std::shared_ptr<const LevelData> level;
    ASSERT_EQ(BuildLevel({info}, false, 0, true, level), r.rc) << r.declaredPlanes;
    if (r.rc != DicomInteropDefines::WSI_OK) continue;
    ASSERT_EQ(level->planeZ.size(), r.planes) << r.declaredPlanes;
    EXPECT_EQ(level->Find(1, 0, 1, 2)->frame, 11u) << r.declaredPlanes;
  }
}

TEST(AcquisitionTime, DateTimesToFileTimes) {
  struct Row { const char* dt; const char* zone; bool ok; uint64_t fileTime; int32_t minutes; };
  const Row rows[] = {
      {"20091229095915", "", true, 129065543550000000ull, -1000},
      {"20260314093015.250000+0100", "", true, 134179506152500000ull, 60},
      {"20260314093015.25", "-0130", true, 134179596152500000ull, -90},
      {"2026", "", true, 134116992000000000ull, -1000},
      {"16010101", "", true, 0, -1000},
      {"20261301", "", false, 0, 0},
      {"2026AB01", "", false, 0, 0},
      {"", "", false, 0, 0},
      {"202603140930+01", "", true, 134179542000000000ull, -1000},
  };
  for (const Row& r : rows) {
    const auto t = ParseDateTime(r.dt, r.zone);
    ASSERT_EQ(t.has_value(), r.ok) << r.dt;
    if (!t) continue;
    EXPECT_EQ(t->fileTime, r.fileTime) << r.dt;
    EXPECT_EQ(t->zoneMinutes, r.minutes) << r.dt;
  }
}

TEST(AnnotationValues, UuidTextOfUidsInTheUuidArc) {
  EXPECT_EQ(UuidTextOf("2.25.329800735698586629295641978511506172918", 0), "F81D4FAE-7DEC-11D0-A765-00A0C91E6BF6");
  EXPECT_EQ(UuidTextOf("2.25.329800735698586629295641978511506172918", 2), "F81D4FAE-7DEC-11D0-A765-00A0C91E6BF8");
  EXPECT_EQ(UuidTextOf("2.25.1", 0), "00000000-0000-0000-0000-000000000001");
  EXPECT_EQ(UuidTextOf("1.2.826.0.1.3680043.8.498.1", 0), "");
  EXPECT_EQ(UuidTextOf("2.25.12a", 0), "");
  EXPECT_EQ(UuidTextOf("2.25.", 0), "");
}

TEST(AnnotationValues, CieLabOfSrgbPrimariesComesBack) {
  struct Row { uint16_t l, a, b; uint32_t rgb; };
  // Scaled PCS-Lab (D50) of sRGB colours, as the generator writes them.
  const Row rows[] = {{65535, 32897, 32890, 0xffffff}, {0, 32896, 32896, 0x000000}, {35580, 53665, 50855, 0xff0000},
                      {19377, 50449, 4098, 0x0000ff}};
  for (const Row& r : rows) {
    const uint32_t got = CieLabToRgb(r.l, r.a, r.b);
    for (int shift : {0, 8, 16}) {
      EXPECT_LE(std::abs(int((got >> shift) & 0xff) - int((r.rgb >> shift) & 0xff)), 2) << std::hex << r.rgb;
    }
  }
}

TEST(PaletteTables, ReducedAndFullTables) {
  PaletteLut lut;
  lut.entryCount = 4;
  lut.firstMapped = 10;
  lut.red = {0, 1000, 2000, 65535};
  lut.green = lut.blue = {0, 0, 0, 0};
  EXPECT_EQ(PaletteColour(lut, 0, 0, 8), 0);       // below the first mapped value: first entry
  EXPECT_EQ(PaletteColour(lut, 0, 11, 8), 1000);
  EXPECT_EQ(PaletteColour(lut, 0, 255, 8), 65535); // beyond the table: last entry
  const std::vector<uint16_t> reduced = PseudoColourTable(lut, 0, true, 16);
  ASSERT_EQ(reduced.size(), 256u);
  EXPECT_EQ(reduced[255], 255);
  PaletteLut none;
  const std::vector<uint16_t> grey = PseudoColourTable(none, 1, false, 12);
  ASSERT_EQ(grey.size(), 4096u);
  EXPECT_EQ(grey[4095], 65535);
  EXPECT_EQ(grey[0], 0);
  EXPECT_EQ(PseudoColourTable(none, 1, false, 8).size(), 256u);
  EXPECT_EQ(PseudoColourTable(none, 1, false, 8)[128], 128);
}

TEST(MetadataNumbers, IntegersOutsideTheirRangeAreMalformed) {
  using namespace DicomInteropDefines;
  struct Row { const char* text; long signedCode; int32_t signedValue; long unsignedCode; uint32_t unsignedValue; };
  const Row rows[] = {{"2147483647", WSI_OK, 2147483647, WSI_OK, 2147483647u},
                      {"2147483648", WSI_E_MALFORMED, 0, WSI_OK, 2147483648u},
                      {"2147483647.6", WSI_E_MALFORMED, 0, WSI_OK, 2147483648u},
                      {"-2147483648", WSI_OK, INT32_MIN, WSI_E_MALFORMED, 0},
                      {"-2147483649", WSI_E_MALFORMED, 0, WSI_E_MALFORMED, 0},
                      {"4294967295", WSI_E_MALFORMED, 0, WSI_OK, 4294967295u},
                      {"4294967296", WSI_E_MALFORMED, 0, WSI_E_MALFORMED, 0},
                      {"2.5", WSI_OK, 3, WSI_OK, 3u},
                      {"-0.4", WSI_OK, 0, WSI_E_MALFORMED, 0},
                      {"nan", WSI_E_MALFORMED, 0, WSI_E_MALFORMED, 0},
                      {"inf", WSI_E_MALFORMED, 0, WSI_E_MALFORMED, 0},
                      {"x", WSI_E_MALFORMED, 0, WSI_E_MALFORMED, 0}};
  for (const Row& r : rows) {
    CCommonWSIMetadata metadata;
    metadata.m_values["CompressionFactor"] = r.text;
    metadata.m_values["OriginalScanmapWidthPixels"] = r.text;
    int32_t signedValue = 0;
    uint32_t unsignedValue = 0;
    EXPECT_EQ(metadata.GetCompressionFactor(&signedValue), r.signedCode) << r.text;
    EXPECT_EQ(metadata.GetOriginalScanmapWidthPixels(&unsignedValue), r.unsignedCode) << r.text;
    EXPECT_EQ(signedValue, r.signedValue) << r.text;  // left alone on failure
    EXPECT_EQ(unsignedValue, r.unsignedValue) << r.text;
  }
}

}  // namespace

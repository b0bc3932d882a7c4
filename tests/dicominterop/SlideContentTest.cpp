// What a generated slide offers besides tiles: single images, metadata (standard attributes
// before the private block), channels and pseudo colours, focal planes, scan maps, annotations,
// directory search, closing and read-ahead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "SlideTestSupport.h"

namespace {

using namespace slidetest;
using namespace DicomInteropDefines;

const char* kFullOptions =
    "--width 1024 --height 768 --levels 0,1 --channels 3 --focal-planes 3 --z-spacing 2 --extended-focus "
    "--label --overview --thumbnail --private-metadata --annotations 2d --organization sparse --missing-tiles 2";

class FullSlide : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = GeneratedSlide("full_featured", kFullOptions);
    ASSERT_FALSE(dir_.empty());
    long count = 0, result = 0;
    source_ = OpenSource(dir_, &count, &result);
    ASSERT_EQ(count, 1);
    ASSERT_EQ(level0_.OpenZoomLevel(source_.get(), false, 0, true), WSI_OK);
  }
  std::string dir_;
  std::unique_ptr<CDirectorySource> source_;
  CWSIZoomImage level0_;
};

struct SingleCase {
  const char* name;
  const char* file;
  uint16_t width, height;
};

TEST_F(FullSlide, SingleImagesAreTheirStoredFramesWithSizeSyntaxAndLabelText) {
  const SingleCase cases[] = {{"label", "label.dcm", 320, 320},
                              {"overview", "overview.dcm", 600, 200},
                              {"thumbnail", "thumbnail.dcm", 256, 192}};
  for (const SingleCase& c : cases) {
    uint8_t* data = nullptr;
    uint64_t size = 0;
    EWSITransferSyntaxes syntax = WSI_TS_OTHER;
    uint16_t samples = 0, bits = 0, width = 0, height = 0;
    char16_t* text = nullptr;
    const std::string name = c.name;
    const bool ok = name == "label" ? source_->GetLabelImage(&data, &size, &syntax, &samples, &bits, &width, &height, &text)
                    : name == "overview" ? source_->GetOverviewImage(&data, &size, &syntax, &samples, &bits, &width, &height)
                                         : source_->GetGeneratedPreviewImage(&data, &size, &syntax, &samples, &bits, &width, &height);
    ASSERT_TRUE(ok) << c.name;
    EXPECT_EQ(Bytes(data, data + size), PydicomFrames(dir_ + "/" + c.file).at(0)) << c.name;
    EXPECT_EQ(syntax, WSI_TS_JPEG_BASELINE);
    EXPECT_EQ(samples, 3);
    EXPECT_EQ(bits, 8);
    EXPECT_EQ(width, c.width) << c.name;
    EXPECT_EQ(height, c.height) << c.name;
    if (name == "label") {
      ASSERT_NE(text, nullptr);
      EXPECT_EQ(std::u16string(text), u"ZRV-0001 H&E");
    }
    CDicomInteropBase::Free(data);
    CDicomInteropBase::Free(text);
  }
}

TEST_F(FullSlide, MetadataPrefersStandardAttributesThenThePrivateBlock) {
  const CCommonWSIMetadata metadata = source_->GetKSLFProprietaryProperties();
  int32_t number = 0;
  std::u16string text;
  EXPECT_EQ(metadata.GetScannedFOVCount(&number), WSI_OK);
  EXPECT_EQ(number, 128);
  EXPECT_EQ(metadata.GetCameraType(&text), WSI_OK);
  EXPECT_EQ(text, u"CMOS 5MP");
  EXPECT_EQ(metadata.GetPhysicalMagnify(&text), WSI_OK);
  EXPECT_EQ(text, u"40");  // Objective Lens Power
  EXPECT_EQ(metadata.GetCompressionFactor(&number), WSI_OK);
  EXPECT_NE(number, 15);  // Lossy Image Compression Ratio, not the private default
  EXPECT_EQ(metadata.GetBarcode(&text), WSI_OK);
  EXPECT_EQ(text, u"ZRV0001");
  double real = 0;
  EXPECT_EQ(metadata.GetCameraRotation(&real), WSI_OK);
  EXPECT_DOUBLE_EQ(real, 0.25);
  uint32_t unsignedNumber = 0;
  EXPECT_EQ(metadata.GetOriginalScanmapROIOffsetXPixels(&unsignedNumber), WSI_OK);
  EXPECT_EQ(unsignedNumber, 120u);
  EXPECT_EQ(metadata.GetScannedFOVCount(nullptr), WSI_E_INVALIDARG);

  const char16_t* names[] = {u"DAPI", u"FITC", u"Cy3"};
  for (int32_t c = 0; c < 3; ++c) {
    CKSLFProprietaryChannelData record;
    ASSERT_EQ(metadata.GetChannelData(c, &record), WSI_OK);
    EXPECT_EQ(record.GetName(&text), WSI_OK);
    EXPECT_EQ(text, names[c]);
    EXPECT_EQ(record.GetExposureTime(&number), WSI_OK);
    EXPECT_EQ(number, 100 + 50 * c);
    EXPECT_EQ(record.GetZStackStepCount(&number), WSI_OK);
    EXPECT_EQ(number, 3);  // focal planes of level 0, not the private "1"
    EXPECT_EQ(record.GetZDiff(&real), WSI_OK);
    EXPECT_DOUBLE_EQ(real, 2.0);
    EXPECT_EQ(record.GetExtendedStepCount(&number), WSI_OK);
    EXPECT_EQ(number, 3);  // Number of Focal Planes of the extended-focus image
  }
  CKSLFProprietaryChannelData record;
  EXPECT_EQ(metadata.GetChannelData(3, &record), WSI_E_INVALIDARG);
  EXPECT_EQ(metadata.GetChannelData(-1, &record), WSI_E_INVALIDARG);
}

TEST(SlideContent, MetadataWithoutPrivateBlockFails) {
  const std::string dir = GeneratedSlide("jpeg_absent_levels", "--width 1024 --height 768 --levels 0,2 --seed 3");
  ASSERT_FALSE(dir.empty());
  long count = 0, result = 0;
  auto source = OpenSource(dir, &count, &result);
  int32_t number = 0;
  EXPECT_EQ(source->GetKSLFProprietaryProperties().GetScannedFOVCount(&number), WSI_E_NOT_FOUND);
  uint8_t* data = nullptr;
  uint64_t size = 0;
  EWSITransferSyntaxes syntax;
  uint16_t a, b, w, h;
  EXPECT_FALSE(source->GetLabelImage(&data, &size, &syntax, &a, &b, &w, &h, nullptr));
  uint16_t* levels = nullptr;
  uint32_t n = 0;
  ASSERT_EQ(source->GetRawZoomList(&levels, &n), WSI_OK);
  EXPECT_EQ(std::vector<uint16_t>(levels, levels + n), (std::vector<uint16_t>{0, 2}));
  CDicomInteropBase::Free(levels);
}

TEST_F(FullSlide, ChannelsWavelengthsPseudoColoursAndFocalPlanes) {
  ASSERT_EQ(level0_.GetChannelCount(), 3u);
  EXPECT_FALSE(level0_.IsUnmixedBrightfield());
  char16_t* name = nullptr;
  uint32_t length = 0;
  ASSERT_EQ(level0_.GetOpticalPathDescription(1, &name, &length), WSI_OK);
  EXPECT_EQ(std::u16string(name, length), u"FITC");
  CDicomInteropBase::Free(name);
  EXPECT_EQ(level0_.GetLightPathFilterPassThroughWavelength(0), 358);
  EXPECT_EQ(level0_.GetImagePathFilterPassThroughWavelength(0), 461);
  uint16_t r = 0, g = 0, b = 0;
  ASSERT_TRUE(level0_.GetMaxPseudoColors(0, &r, &g, &b));  // DAPI shown in blue
  EXPECT_EQ(r, 0);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 65535);
  for (bool reduced : {true, false}) {
    uint16_t* table = nullptr;
    uint32_t n = 0;
    ASSERT_EQ(level0_.GetPseudoColorGreenLUT(1, reduced, &table, &n), WSI_OK);
    ASSERT_EQ(n, 256u);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[255], 255);
    CDicomInteropBase::Free(table);
  }
  uint16_t* table = nullptr;
  uint32_t n = 0;
  EXPECT_EQ(level0_.GetPseudoColorRedLUT(3, true, &table, &n), WSI_E_INVALIDARG);
  const std::vector<double> z = level0_.GetZStackCoords();
  ASSERT_EQ(z.size(), 3u);
  EXPECT_NEAR(z[1] - z[0], 2.0, 1e-9);
  EXPECT_NEAR(z[2] - z[1], 2.0, 1e-9);
}

TEST(SlideContent, SixteenBitPseudoColourTables) {
  const std::string dir = GeneratedSlide(
      "implicit_16bit_fluorescence", "--width 512 --height 384 --syntax implicit --bits 16 --channels 3 --levels 0");
  ASSERT_FALSE(dir.empty());
  long count = 0, result = 0;
  auto source = OpenSource(dir, &count, &result);
  CWSIZoomImage level;
  ASSERT_EQ(level.OpenZoomLevel(source.get(), false, 0, true), WSI_OK);
  uint16_t* table = nullptr;
  uint32_t n = 0;
  ASSERT_EQ(level.GetPseudoColorBlueLUT(0, false, &table, &n), WSI_OK);
  ASSERT_EQ(n, 65536u);
  EXPECT_EQ(table[65535], 65535);
  EXPECT_EQ(table[32768], 32768);
  CDicomInteropBase::Free(table);
  ASSERT_EQ(level.GetPseudoColorBlueLUT(0, true, &table, &n), WSI_OK);
  ASSERT_EQ(n, 256u);
  EXPECT_EQ(table[255], 255);
  CDicomInteropBase::Free(table);
}

TEST_F(FullSlide, ScanMapMarksExactlyTheStoredTiles) {
  uint8_t* map = nullptr;
  uint32_t width = 0, height = 0;
  ASSERT_TRUE(source_->GetScanmap(&map, 0, &width, &height));
  ASSERT_EQ(width, 4u);
  ASSERT_EQ(height, 3u);
  std::vector<uint8_t> expected(12, 255);
  for (const ReferenceFrame& f : PydicomSlideFrames(dir_)) {
    if (f.binFile == "missing" && f.level == 0) expected[f.row * 4 + f.column] = 0;
  }
  EXPECT_EQ(std::count(expected.begin(), expected.end(), 0), 2);
  EXPECT_EQ(std::vector<uint8_t>(map, map + 12), expected);
  CDicomInteropBase::Free(map);
  EXPECT_FALSE(source_->GetScanmap(&map, 5, &width, &height));
}

TEST_F(FullSlide, AnnotationColumnsByKind) {
  CWSIAnnotations annotations;
  ASSERT_EQ(source_->GetAnnotationInstance(&annotations), WSI_OK);
  EXPECT_FALSE(annotations.IsReal3D());
  AnnotationColumns c;
  ASSERT_EQ(c.Read(annotations), WSI_OK);
  ASSERT_EQ(c.kinds.size(), 14u);
  struct Expected { int32_t kind; size_t points; const char16_t* caption; uint32_t colour; };
  const Expected expected[] = {{1, 2, u"Flags", 0xff0000}, {1, 2, u"Flags", 0xff0000}, {1, 2, u"Flags", 0xff0000},
                               {2, 4, u"Measurements", 0x0080ff}, {2, 4, u"Measurements", 0x0080ff},
                               {2, 8, u"Polylines", 0x00c800}, {2, 6, u"Polylines", 0x00c800},
                               {3, 10, u"Regions", 0xffc800}, {3, 8, u"Regions", 0xffc800},
                               {4, 8, u"Ellipses", 0x8000ff}, {5, 8, u"Rectangles", 0x00ffff},
                               {6, 12, u"TMA A1", 0xff4040}, {6, 12, u"TMA A2", 0xff4040}, {6, 12, u"TMA B1", 0xff4040}};
  for (size_t i = 0; i < 14; ++i) {
    EXPECT_EQ(c.kinds[i], expected[i].kind) << i;
    EXPECT_EQ(c.points[i].size(), expected[i].points) << i;
    EXPECT_EQ(c.captions[i], expected[i].caption) << i;
    for (int shift : {0, 8, 16}) {
      const int got = (c.colours[i] >> shift) & 0xff, want = (expected[i].colour >> shift) & 0xff;
      EXPECT_LE(std::abs(got - want), 1) << i;
    }
  }
  EXPECT_EQ(c.descriptions[11], u"Core 1 of the array");
  EXPECT_EQ(c.texts[11][1], "Tissue microarray core");
  EXPECT_TRUE(c.pointsZ.empty());
  EXPECT_EQ(c.hasId.size(), 14u);
  EXPECT_EQ(c.measurements.size(), 14u);
}

TEST(SlideContent, ThreeDimensionalAnnotations) {
  const std::string dir = GeneratedSlide("annotations_3d", "--width 512 --height 512 --levels 0 --annotations 3d");
  ASSERT_FALSE(dir.empty());
  long count = 0, result = 0;
  auto source = OpenSource(dir, &count, &result);
  CWSIAnnotations annotations;
  ASSERT_EQ(source->GetAnnotationInstance(&annotations), WSI_OK);
  EXPECT_TRUE(annotations.IsReal3D());
  AnnotationColumns c;
  ASSERT_EQ(c.Read(annotations), WSI_OK);
  ASSERT_EQ(c.pointsZ.size(), c.kinds.size());
  EXPECT_EQ(c.pointsZ[0].size() * 2, c.points[0].size());
  CWSIAnnotations copy = annotations;
  EXPECT_EQ(copy.Close(), WSI_OK);
  EXPECT_FALSE(copy.IsReal3D());
  EXPECT_TRUE(annotations.IsReal3D());
}

// Found by fuzzing: a display colour stored as signed values (-30454 ...) was cast to 16 bits
// unchecked. A colour that does not fit is no colour: the group gets the default yellow.
TEST(SlideContent, DisplayColourOutsideSixteenBitsIsTheDefault) {
  const std::string base = GeneratedSlide("annotations_2d", "--width 512 --height 512 --levels 0 --annotations 2d");
  ASSERT_FALSE(base.empty());
  const std::string dir = ScratchDir("annotations_signed_colour");
  using std::filesystem::copy_options;
  std::filesystem::copy(base, dir, copy_options::recursive | copy_options::overwrite_existing);
  Bytes file = ReadBytes(dir + "/annotations_2d.dcm");
  const uint8_t colour[] = {0x62, 0x00, 0x0d, 0x00, 'U', 'S', 6, 0};
  auto it = std::search(file.begin(), file.end(), std::begin(colour), std::end(colour));
  ASSERT_NE(it, file.end());
  const uint8_t signedColour[] = {'S', 'S', 6, 0, 0x8a, 0x88, 0x8a, 0x88, 0x8a, 0x88};
  std::copy(std::begin(signedColour), std::end(signedColour), it + 4);
  WriteBytes(dir + "/annotations_2d.dcm", file);
  long count = 0, result = 0;
  auto source = OpenSource(dir, &count, &result);
  CWSIAnnotations annotations;
  ASSERT_EQ(source->GetAnnotationInstance(&annotations), WSI_OK);
  AnnotationColumns c;
  ASSERT_EQ(c.Read(annotations), WSI_OK);
  ASSERT_FALSE(c.colours.empty());
  EXPECT_EQ(c.colours.front(), 0xffff00u);
}

TEST(SlideContent, SearchFlagFindsSlidesInSubdirectoriesAndCountsPyramids) {
  const std::string a = GeneratedSlide("jpeg_absent_levels", "--width 1024 --height 768 --levels 0,2 --seed 3");
  const std::string b = GeneratedSlide("search_second", "--width 512 --height 512 --levels 0 --seed 11");
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  const std::string root = ScratchDir("search");
  std::filesystem::create_directory_symlink(a, root + "/one");
  std::filesystem::create_directories(root + "/deeper");
  std::filesystem::copy(b, root + "/deeper/two");
  long count = -1, result = -1;
  auto flat = OpenSource(root, &count, &result, false);
  EXPECT_EQ(result, WSI_OK);
  EXPECT_EQ(count, 0);
  auto deep = OpenSource(root + "/deeper", &count, &result, true);
  EXPECT_EQ(count, 1);
  std::filesystem::copy(a, root + "/deeper/one");
  auto both = OpenSource(root, &count, &result, true);
  EXPECT_EQ(count, 2);
  CWSIZoomImage level;
  ASSERT_EQ(level.OpenZoomLevel(both.get(), false, 0, true), WSI_OK);
  EXPECT_EQ(level.GetTotalPixelMatrixColumns(), 1024u);  // the larger pyramid is served
}

TEST_F(FullSlide, ClosedSourceStopsLevelSearchButOpenedLevelsStillRead) {
  EXPECT_EQ(source_->Close(), WSI_OK);
  CWSIZoomImage level1;
  EXPECT_EQ(level1.OpenZoomLevel(source_.get(), false, 1, true), WSI_E_STOP);
  source_.reset();
  bool found = false;
  for (uint32_t x = 0; x < 4 && !found; ++x) {
    found = ReadTile(level0_, 0, x, 0, 0).exists;
  }
  EXPECT_TRUE(found);
}

TEST_F(FullSlide, ReadAheadCoversTheLevelInChunks) {
  EXPECT_TRUE(source_->PreLoadNextChunk(0, 0));  // pre-reading off: nothing to do
  source_->SetPreReading(true);
  int calls = 0;
  while (!source_->PreLoadNextChunk(0, 0) && calls < 1000) ++calls;
  EXPECT_GT(calls, 0);
  EXPECT_LT(calls, 1000);
  bool morton = true;
  EXPECT_EQ(source_->IsIncrementalMortonCode(&morton), WSI_OK);
  EXPECT_FALSE(morton);
  EXPECT_TRUE(source_->GetIsValidSlideSize());
  EXPECT_GT(source_->GetSlideSize(), 0u);
}

}  // namespace

// The slide library on real files written by an independent toolkit: discovery, geometry and
// tile bytes equal to pydicom's frames, for native, JPEG-LS with and without offset table.
#include <gtest/gtest.h>

#include "SlideTestSupport.h"

namespace {

using namespace slidetest;
using namespace DicomInteropDefines;

struct RealSlide {
  const char* folder;
  const char* file;
  uint16_t samples, bitsStored;
  EWSITransferSyntaxes syntax;
};

void PrintTo(const RealSlide& slide, std::ostream* out) { *out << slide.folder; }

class RealFiles : public ::testing::TestWithParam<RealSlide> {};

TEST_P(RealFiles, OneSlideWithOneLevelAndTilesEqualToPydicomFrames) {
  const RealSlide& slide = GetParam();
  const std::string dir = RealSlideDir(slide.folder);
  if (dir.empty()) GTEST_SKIP() << "real test files not present: " << ZORVEL_TESTDATA_DIR;
  long count = -1, result = -1;
  auto source = OpenSource(dir, &count, &result);
  ASSERT_EQ(result, WSI_OK);
  ASSERT_EQ(count, 1);

  CWSIZoomImage level0;
  ASSERT_EQ(level0.OpenZoomLevel(source.get(), false, 0, true), WSI_OK);
  CWSIZoomImage level1;
  const long absent = level1.OpenZoomLevel(source.get(), false, 1, true);
  EXPECT_LT(absent, 0);
  EXPECT_NE(absent, WSI_E_STOP);
  EXPECT_EQ(level0.GetColumns(), 10);
  EXPECT_EQ(level0.GetRows(), 10);
  EXPECT_EQ(level0.GetTotalPixelMatrixColumns(), 50u);
  EXPECT_EQ(level0.GetSamplesPerPixel(), slide.samples);
  EXPECT_EQ(level0.GetBitsStored(), slide.bitsStored);
  EXPECT_EQ(level0.GetTransferSyntax(), slide.syntax);
  EXPECT_EQ(level0.GetZStackCount(), 1u);
  EXPECT_EQ(level0.GetChannelCount(), 1u);
  EXPECT_TRUE(level0.IsTiledFull());

  const std::vector<Bytes> frames = PydicomFrames(dir + "/" + slide.file);
  ASSERT_EQ(frames.size(), 25u);
  for (uint32_t f = 0; f < frames.size(); ++f) {
    const TileRead tile = ReadTile(level0, 0, f % 5, f / 5, 0);
    ASSERT_EQ(tile.result, WSI_OK) << "frame " << f;
    EXPECT_TRUE(tile.exists);
    EXPECT_EQ(tile.bytes, frames[f]) << "frame " << f;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Highdicom, RealFiles,
    ::testing::Values(RealSlide{"rgb", "sm_image.dcm", 3, 8, WSI_TS_EXPLICIT_VR_LITTLE_ENDIAN},
                      RealSlide{"rgb-dots", "sm_image_dots.dcm", 3, 8, WSI_TS_EXPLICIT_VR_LITTLE_ENDIAN},
                      RealSlide{"rgb-numbers", "sm_image_numbers.dcm", 3, 8, WSI_TS_EXPLICIT_VR_LITTLE_ENDIAN},
                      RealSlide{"gray16", "sm_image_grayscale.dcm", 1, 16, WSI_TS_EXPLICIT_VR_LITTLE_ENDIAN},
                      RealSlide{"jpegls", "sm_image_jpegls.dcm", 3, 8, WSI_TS_JPEG_LS_LOSSLESS},
                      RealSlide{"jpegls-nobot", "sm_image_jpegls_nobot.dcm", 3, 8, WSI_TS_JPEG_LS_LOSSLESS}),
    [](const auto& info) {
      std::string name = info.param.folder;
      for (char& c : name) c = c == '-' ? '_' : c;
      return name;
    });

TEST(RealFiles, StandardAttributesOfTheRgbSlide) {
  const std::string dir = RealSlideDir("rgb");
  if (dir.empty()) GTEST_SKIP() << "real test files not present";
  long count = 0, result = 0;
  auto source = OpenSource(dir, &count, &result);
  CWSIZoomImage level0;
  ASSERT_EQ(level0.OpenZoomLevel(source.get(), false, 0, true), WSI_OK);
  std::u16string text;
  EXPECT_EQ(level0.GetManufacturersModelName(&text), WSI_OK);
  EXPECT_EQ(text, u"Test Model");
  EXPECT_EQ(level0.GetDeviceSerialNumber(&text), WSI_OK);
  EXPECT_EQ(text, u"abcd");
  EXPECT_DOUBLE_EQ(level0.GetAdjacentColumnPixelSpacing(), 0.000499);
  uint64_t fileTime = 0;
  int32_t zone = 0, local = 0;
  ASSERT_EQ(level0.GetAcquisitionDateTime(&fileTime, &zone, &local), WSI_OK);
  EXPECT_EQ(fileTime, 129065543550000000ull);  // 2009-12-29 09:59:15, no zone given
  EXPECT_EQ(zone, -1000);
  EXPECT_TRUE(level0.IsUnmixedBrightfield());
  bool extended = true;
  EXPECT_EQ(source->IsExtendedFocus(&extended), WSI_OK);
  EXPECT_FALSE(extended);
  EXPECT_EQ(source->GetSlideUID(&text), WSI_OK);
  EXPECT_EQ(text, u"1.2.826.0.1.3680043.9.7433.3.57084118109582350083572639456817453");
}

TEST(RealFiles, AnnotationsReferencingTheRgbSlide) {
  const std::string dir = RealSlideDir("rgb");
  if (dir.empty()) GTEST_SKIP() << "real test files not present";
  long count = 0, result = 0;
  auto source = OpenSource(dir, &count, &result);
  CWSIAnnotations annotations;
  ASSERT_EQ(source->GetAnnotationInstance(&annotations), WSI_OK);
  EXPECT_FALSE(annotations.IsReal3D());
  AnnotationColumns c;
  ASSERT_EQ(c.Read(annotations), WSI_OK);
  ASSERT_EQ(c.kinds.size(), 2u);
  EXPECT_EQ(c.kinds[0], WSI_ANNOTATION_POINT);
  EXPECT_EQ(c.points[0].size(), 2u);
  EXPECT_EQ(c.captions[0], u"nuclei");
  EXPECT_EQ(c.texts[0][1], "Nucleus");
  EXPECT_TRUE(c.pointsZ.empty());
  EXPECT_NEAR(c.measurements[0], 20.4, 0.01);
}

}  // namespace

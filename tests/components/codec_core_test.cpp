// Every sample decodes to Pillow's decode of the same stream: byte for byte for JPEG and
// lossless JPEG 2000, within a tolerance for lossy JPEG 2000; headers report the right image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "codec_samples.h"

namespace Components::Testing {
namespace {

class CodecCoreTest : public ::testing::TestWithParam<std::size_t> {
 protected:
  const Sample& sample() const { return Samples()[GetParam()]; }
};

double MeanAbsoluteDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(int{a[i]} - int{b[i]});
  return a.empty() ? 0 : sum / static_cast<double>(a.size());
}

TEST_P(CodecCoreTest, ReportsTheImage) {
  ImageInfo info;
  ASSERT_EQ(CoreFor(sample()).ReadInfo(sample().encoded.data(), sample().encoded.size(), info), S_OK);
  EXPECT_EQ(info.width, sample().width);
  EXPECT_EQ(info.height, sample().height);
  EXPECT_EQ(info.components, sample().components);
  EXPECT_EQ(info.bitsPerSample, sample().bits);
  EXPECT_EQ(info.type, TypeFor(sample().components, sample().bits));
}

TEST_P(CodecCoreTest, DecodesLikeAnIndependentDecoder) {
  std::vector<std::uint8_t> packed;
  ASSERT_EQ(DecodePacked(CoreFor(sample()), sample().encoded, sample(), packed), S_OK);
  ASSERT_EQ(packed.size(), sample().reference.size());
  if (sample().exact) {
    EXPECT_TRUE(packed == sample().reference) << "first difference at byte "
        << (std::mismatch(packed.begin(), packed.end(), sample().reference.begin()).first - packed.begin());
  } else {
    EXPECT_LE(MeanAbsoluteDifference(packed, sample().reference), 1.0);
    EXPECT_LE(MeanAbsoluteDifference(packed, sample().original), 8.0);
  }
}

std::string SampleName(const ::testing::TestParamInfo<std::size_t>& info) {
  std::string name = Samples()[info.param].name;
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
}

void CheckWidened(const Sample& sample) {
  SCOPED_TRACE(sample.name);
  const std::size_t stride = StrideFor(ImageType::Colour8, sample.width, 3, 8);
  std::vector<std::uint8_t> lines(stride * sample.height, 0xCD);
  ASSERT_EQ(CoreFor(sample).DecodeInto(sample.encoded.data(), sample.encoded.size(), lines.data(),
                                         lines.size(), sample.width, sample.height, 8, 1),
            S_OK);
  for (std::uint32_t y = 0; y < sample.height; ++y) {
    for (std::uint32_t x = 0; x < sample.width; ++x) {
      const std::uint8_t* p = &lines[y * stride + 3 * x];
      const std::uint8_t expected = sample.reference[y * sample.width + x];
      ASSERT_TRUE(p[0] == expected && p[1] == expected && p[2] == expected) << "pixel " << x << "," << y;
    }
    for (std::size_t pad = 3 * sample.width; pad < stride; ++pad) ASSERT_EQ(lines[y * stride + pad], 0xCD);
  }
}

TEST(CodecWidenTest, GreyIsWidenedToThreeSamplesAndPaddingIsUntouched) {
  for (const Sample& grey : Samples()) {
    if (grey.components == 1 && grey.bits == 8) CheckWidened(grey);
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, CodecCoreTest, ::testing::Range<std::size_t>(0, Samples().size()), SampleName);

}  // namespace
}  // namespace Components::Testing

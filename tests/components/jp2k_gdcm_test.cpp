// JPEG 2000 layouts the Pillow samples lack (16-bit colour, 12-bit grey), written losslessly by
// GDCM's JPEG 2000 encoder, decode exactly to the encoded pixels.
#include <gtest/gtest.h>

#include <gdcmDataElement.h>
#include <gdcmJPEG2000Codec.h>
#include <gdcmPhotometricInterpretation.h>
#include <gdcmPixelFormat.h>
#include <gdcmSequenceOfFragments.h>

#include "codec_jp2k/Jp2kCodecCore.h"

namespace Components {
namespace {

struct Layout {
  const char* what;
  std::uint16_t components;
  std::uint16_t bits;
};

std::vector<std::uint16_t> Picture(const Layout& layout, std::uint32_t width, std::uint32_t height) {
  std::vector<std::uint16_t> samples(std::size_t{width} * height * layout.components);
  const std::uint32_t top = (1u << layout.bits) - 1;
  for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint16_t>((i * 2654435761u) % (top + 1));
  return samples;
}

std::vector<std::uint8_t> EncodeLossless(const Layout& layout, const std::vector<std::uint16_t>& samples,
                                         std::uint32_t width, std::uint32_t height) {
  gdcm::JPEG2000Codec codec;
  codec.SetNumberOfDimensions(2);
  const unsigned int dims[3] = {width, height, 1};
  codec.SetDimensions(dims);
  codec.SetPlanarConfiguration(0);
  codec.SetPhotometricInterpretation(layout.components == 3 ? gdcm::PhotometricInterpretation::RGB
                                                            : gdcm::PhotometricInterpretation::MONOCHROME2);
  codec.SetPixelFormat(gdcm::PixelFormat(layout.components, 16, layout.bits, static_cast<unsigned short>(layout.bits - 1), 0));
  codec.SetReversible(true);
  codec.SetMCT(layout.components == 3 ? 1 : 0);
  gdcm::DataElement in;
  in.SetByteValue(reinterpret_cast<const char*>(samples.data()), static_cast<gdcm::VL::Type>(samples.size() * 2));
  gdcm::DataElement out;
  if (!codec.Code(in, out) || out.GetSequenceOfFragments() == nullptr) return {};
  const gdcm::ByteValue* bytes = out.GetSequenceOfFragments()->GetFragment(0).GetByteValue();
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes->GetPointer());
  return {p, p + bytes->GetLength()};
}

TEST(Jp2kGdcmTest, SixteenBitColourAndTwelveBitGreyDecodeExactly) {
  const Layout layouts[] = {{"16-bit colour", 3, 16}, {"12-bit grey", 1, 12}, {"16-bit grey", 1, 16}};
  const std::uint32_t width = 21, height = 10;
  const Jp2kCodecCore core;
  for (const auto& layout : layouts) {
    const auto samples = Picture(layout, width, height);
    const auto encoded = EncodeLossless(layout, samples, width, height);
    ASSERT_FALSE(encoded.empty()) << layout.what;
    ImageInfo info;
    ASSERT_EQ(core.ReadInfo(encoded.data(), encoded.size(), info), S_OK) << layout.what;
    EXPECT_EQ(info.bitsPerSample, 16u) << layout.what;
    const std::size_t stride = StrideFor(info.type, width, 3, 4);
    std::vector<std::uint8_t> lines(stride * height);
    ASSERT_EQ(core.DecodeInto(encoded.data(), encoded.size(), lines.data(), lines.size(), width, height, 4,
                              static_cast<std::int32_t>(info.type)),
              S_OK)
        << layout.what;
    int mismatches = 0;
    for (std::uint32_t y = 0; y < height; ++y) {
      const auto* line = reinterpret_cast<const std::uint16_t*>(lines.data() + y * stride);
      for (std::uint32_t x = 0; x < width; ++x) {
        for (std::uint32_t c = 0; c < layout.components; ++c) {
          const std::uint32_t from = layout.components == 3 ? 2 - c : c;  // lines hold B, G, R
          mismatches += line[x * layout.components + from] != samples[(std::size_t{y} * width + x) * layout.components + c];
        }
      }
    }
    EXPECT_EQ(mismatches, 0) << layout.what;
  }
}

}  // namespace
}  // namespace Components

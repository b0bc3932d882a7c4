// Lossless and 12/16-bit JPEG streams (written by GDCM's encoder) decode to the encoded pixels:
// exactly for lossless, closely for 12-bit lossy; the frame header names the right process.
#include <gtest/gtest.h>

#include <gdcmDataElement.h>
#include <gdcmJPEGCodec.h>
#include <gdcmPhotometricInterpretation.h>
#include <gdcmPixelFormat.h>
#include <gdcmSequenceOfFragments.h>

#include <cstdlib>

#include "codec_jpeg/JpegCodecCore.h"
#include "codec_jpeg/JpegHeader.h"

namespace Components {
namespace {

struct GdcmCase {
  const char* what;
  std::uint32_t components;
  std::uint16_t bits;
  bool lossless;
  std::uint8_t marker;  // expected SOF marker
  int tolerance;        // largest sample difference allowed
};

std::vector<std::uint8_t> Picture(const GdcmCase& c, std::uint32_t width, std::uint32_t height) {
  const std::uint32_t bytes = c.bits > 8 ? 2 : 1;
  const std::uint32_t top = (1u << c.bits) - 1;
  std::vector<std::uint8_t> raw(std::size_t{width} * height * c.components * bytes);
  for (std::size_t i = 0; i < raw.size() / bytes; ++i) {
    const std::uint32_t value = static_cast<std::uint32_t>((i * 37 / c.components + (i % c.components) * 91) % (top + 1));
    raw[i * bytes] = static_cast<std::uint8_t>(value);
    if (bytes == 2) raw[i * bytes + 1] = static_cast<std::uint8_t>(value >> 8);
  }
  return raw;
}

std::vector<std::uint8_t> EncodeWithGdcm(const GdcmCase& c, const std::vector<std::uint8_t>& raw,
                                         std::uint32_t width, std::uint32_t height) {
  gdcm::JPEGCodec codec;
  const unsigned short allocated = c.bits <= 8 ? 8 : c.bits <= 12 ? 12 : 16;  // picks GDCM's 8, 12 or 16-bit encoder
  codec.SetNumberOfDimensions(2);
  const unsigned int dims[3] = {width, height, 1};
  codec.SetDimensions(dims);
  codec.SetPlanarConfiguration(0);
  codec.SetPhotometricInterpretation(c.components == 3 ? gdcm::PhotometricInterpretation::RGB
                                                       : gdcm::PhotometricInterpretation::MONOCHROME2);
  codec.SetPixelFormat(gdcm::PixelFormat(static_cast<unsigned short>(c.components), allocated, c.bits,
                                         static_cast<unsigned short>(c.bits - 1), 0));
  codec.SetLossless(c.lossless);
  codec.SetQuality(c.lossless ? 100 : 95);
  gdcm::DataElement in;
  in.SetByteValue(reinterpret_cast<const char*>(raw.data()), static_cast<gdcm::VL::Type>(raw.size()));
  gdcm::DataElement out;
  if (!codec.Code(in, out) || out.GetSequenceOfFragments() == nullptr) return {};
  const gdcm::ByteValue* bytes = out.GetSequenceOfFragments()->GetFragment(0).GetByteValue();
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes->GetPointer());
  return {p, p + bytes->GetLength()};
}

int LargestDifference(const std::vector<std::uint8_t>& lines, std::size_t stride, const std::vector<std::uint8_t>& raw,
                      const GdcmCase& c, std::uint32_t width, std::uint32_t height) {
  const std::uint32_t bytes = c.bits > 8 ? 2 : 1;
  int largest = 0;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width * c.components; ++x) {
      const std::uint32_t pixel = x / c.components, sample = x % c.components;
      const std::uint32_t from = c.components == 3 ? 2 - sample : sample;  // lines hold B, G, R
      const std::uint8_t* got = &lines[y * stride + (pixel * c.components + from) * bytes];
      const std::uint8_t* want = &raw[(std::size_t{y} * width * c.components + x) * bytes];
      const int a = bytes == 2 ? got[0] | got[1] << 8 : got[0];
      const int b = bytes == 2 ? want[0] | want[1] << 8 : want[0];
      largest = std::max(largest, std::abs(a - b));
    }
  }
  return largest;
}

TEST(JpegGdcmTest, LosslessAndHighPrecisionStreamsDecode) {
  const GdcmCase cases[] = {
      {"lossless 8-bit colour", 3, 8, true, 0xC3, 0},
      {"lossless 8-bit grey", 1, 8, true, 0xC3, 0},
      {"lossless 16-bit grey", 1, 16, true, 0xC3, 0},
      {"lossless 12-bit grey", 1, 12, true, 0xC3, 0},
      {"lossy 12-bit grey", 1, 12, false, 0xC1, 160},
  };
  const std::uint32_t width = 27, height = 14;  // GDCM's encoder needs an even byte count
  const JpegCodecCore core;
  for (const auto& c : cases) {
    const auto raw = Picture(c, width, height);
    const auto encoded = EncodeWithGdcm(c, raw, width, height);
    ASSERT_FALSE(encoded.empty()) << c.what;
    const auto header = ReadJpegFrameHeader(encoded.data(), encoded.size());
    ASSERT_TRUE(header.has_value()) << c.what;
    EXPECT_EQ(header->marker, c.marker) << c.what;
    ImageInfo info;
    ASSERT_EQ(core.ReadInfo(encoded.data(), encoded.size(), info), S_OK) << c.what;
    const std::size_t stride = StrideFor(info.type, width, 3, 4);
    std::vector<std::uint8_t> lines(stride * height);
    ASSERT_EQ(core.DecodeInto(encoded.data(), encoded.size(), lines.data(), lines.size(), width, height, 4,
                              static_cast<std::int32_t>(info.type)),
              S_OK)
        << c.what;
    EXPECT_LE(LargestDifference(lines, stride, raw, c, width, height), c.tolerance) << c.what;
    for (std::size_t i = 0; i < encoded.size(); i += 3) {  // damage anywhere: a code or pixels, never a crash
      auto damaged = encoded;
      damaged[i] ^= 0x5A;
      const HRESULT hr = core.DecodeInto(damaged.data(), damaged.size(), lines.data(), lines.size(), width, height,
                                         4, static_cast<std::int32_t>(info.type));
      EXPECT_TRUE(hr == S_OK || FAILED(hr));
    }
    std::vector<std::uint8_t> cut(encoded.begin(), encoded.end() - static_cast<long>(encoded.size() / 3));
    EXPECT_TRUE(FAILED(core.DecodeInto(cut.data(), cut.size(), lines.data(), lines.size(), width, height, 4,
                                       static_cast<std::int32_t>(info.type))))
        << c.what << " truncated";
  }
}

}  // namespace
}  // namespace Components

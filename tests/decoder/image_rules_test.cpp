// Image-type rules (stride, pixel format, bytes per sample) and uncompressed frames written into
// a bitmap with the samples of every pixel reversed.
#include <Decoder/DicomGeneralUtils.h>

#include <numeric>

#include "decoder_support.h"

namespace decoder_test {
namespace {

using DicomGeneralUtils::CDicomImageDecoder;

struct ParamsCase {
  LONG imageType;
  USHORT samplesPerPixel;
  LONG width;
  HRESULT result;
  LONG stride;
  LONG format;
};

TEST(DecoderImageParams, StrideAndFormatPerImageType) {
  const ParamsCase cases[] = {
      {0, 1, 5, S_OK, 8, 0x00100803},      {1, 3, 5, S_OK, 16, 0x00021808},
      {2, 3, 5, S_OK, 32, 0x0010300C},     {3, 1, 5, S_OK, 16, 0x00101004},
      {4, 3, 7, S_OK, 24, 0x00021808},     {6, 3, 3, S_OK, 20, 0x0010300C},
      {1, 3, 256, S_OK, 768, 0x00021808},  {5, 3, 5, E_NOTIMPL, -1, -1},
      {7, 3, 5, E_NOTIMPL, -1, -1},        {-1, 3, 5, E_NOTIMPL, -1, -1},
      {1, 3, -4, E_INVALIDARG, -1, -1},
  };
  for (const ParamsCase& c : cases) {
    LONG stride = -1, format = -1;
    EXPECT_EQ(CDicomImageDecoder::GetImageParams(c.samplesPerPixel, c.width, c.imageType, stride, &format), c.result)
        << "code " << c.imageType;
    EXPECT_EQ(stride, c.stride) << "code " << c.imageType;
    EXPECT_EQ(format, c.format) << "code " << c.imageType;
  }
}

TEST(DecoderImageParams, BytesPerSample) {
  const std::pair<LONG, ULONG> supported[] = {{0, 1}, {1, 1}, {4, 1}, {2, 2}, {3, 2}, {6, 2}};
  for (const auto& [code, expected] : supported) {
    ULONG bytes = 0;
    EXPECT_EQ(CDicomImageDecoder::GetBytesPerSample(code, bytes), S_OK);
    EXPECT_EQ(bytes, expected) << code;
  }
  for (LONG code : {5, 7, -1}) {
    ULONG bytes = 9;
    EXPECT_EQ(CDicomImageDecoder::GetBytesPerSample(code, bytes), E_NOTIMPL);
    EXPECT_EQ(bytes, 9u);
  }
}

struct UncompressedCase {
  USHORT width, height, samples, bits;
  LONG stride, format;
};

// Expected layout built independently: each pixel's samples reversed, lines padded to the stride.
std::vector<BYTE> Expected(const std::vector<BYTE>& source, const UncompressedCase& c) {
  const size_t bytes = c.bits / 8, pixel = bytes * c.samples, line = pixel * c.width;
  std::vector<BYTE> out(static_cast<size_t>(c.stride) * c.height, 0);
  for (size_t y = 0; y < c.height; ++y) {
    for (size_t x = 0; x < c.width; ++x) {
      for (size_t s = 0; s < c.samples; ++s) {
        for (size_t b = 0; b < bytes; ++b) {
          out[y * c.stride + x * pixel + s * bytes + b] = source[y * line + x * pixel + (c.samples - 1 - s) * bytes + b];
        }
      }
    }
  }
  return out;
}

TEST(DecoderUncompressed, PixelsReversedIntoTheBitmap) {
  const UncompressedCase cases[] = {
      {3, 2, 3, 8, 12, 0x00021808},     {5, 3, 3, 16, 32, 0x0010300C},  {7, 2, 1, 8, 8, 0x00100803},  {3, 2, 1, 16, 8, 0x00101004},
      {256, 256, 3, 8, 768, 0x00021808}, {255, 300, 3, 16, 1532, 0x0010300C}, {9, 1, 3, 8, 28, 0x00021808},
  };
  for (const UncompressedCase& c : cases) {
    std::vector<BYTE> source(size_t{c.width} * c.height * c.samples * (c.bits / 8));
    std::iota(source.begin(), source.end(), BYTE{1});
    ComPtr<IKLVBitmapImage> bitmap;
    ASSERT_EQ(CreateComponent(CLSID_KLVBitmapImage, IID_IKLVBitmapImage, bitmap), S_OK);
    ASSERT_EQ(CDicomImageDecoder::DecodeUncompressed(source.data(), c.width, c.height, c.samples, c.bits, bitmap.Get()),
              S_OK);
    LONG stride = 0, format = 0;
    bitmap->get_Stride(&stride);
    bitmap->get_PixelFormat(&format);
    EXPECT_EQ(stride, c.stride) << c.width << "x" << c.height;
    EXPECT_EQ(format, c.format) << c.width << "x" << c.height;
    char* bits = nullptr;
    ASSERT_EQ(bitmap->LockBits(&bits), S_OK);
    const std::vector<BYTE> expected = Expected(source, c);
    for (size_t y = 0; y < c.height; ++y) {
      const size_t line = size_t{c.width} * c.samples * (c.bits / 8);
      ASSERT_TRUE(std::equal(expected.begin() + static_cast<long>(y * c.stride),
                             expected.begin() + static_cast<long>(y * c.stride + line),
                             reinterpret_cast<BYTE*>(bits) + y * c.stride))
          << c.width << "x" << c.height << " line " << y;
    }
    bitmap->UnlockBits(bits);
  }
}

TEST(DecoderUncompressed, NullSourceOrBitmapIsRejected) {
  BYTE source[12] = {};
  ComPtr<IKLVBitmapImage> bitmap;
  ASSERT_EQ(CreateComponent(CLSID_KLVBitmapImage, IID_IKLVBitmapImage, bitmap), S_OK);
  EXPECT_EQ(CDicomImageDecoder::DecodeUncompressed(nullptr, 2, 2, 3, 8, bitmap.Get()), E_INVALIDARG);
  EXPECT_EQ(CDicomImageDecoder::DecodeUncompressed(source, 2, 2, 3, 8, nullptr), E_INVALIDARG);
}

TEST(DecoderSwapRedAndBlue, UnsupportedLayoutsAndEmptyImagesWriteNothing) {
  std::vector<BYTE> source(64, 7), destination(64, 0xEE);
  DicomGeneralUtils::SwapRedAndBlue(source.data(), 16, 4, 2, 4, 8, destination.data());  // 4 samples
  DicomGeneralUtils::SwapRedAndBlue(source.data(), 16, 4, 2, 3, 32, destination.data());  // 32-bit samples
  DicomGeneralUtils::SwapRedAndBlue(source.data(), 16, 4, 0, 3, 8, destination.data());   // no lines
  EXPECT_EQ(destination, std::vector<BYTE>(64, 0xEE));
}

}  // namespace
}  // namespace decoder_test

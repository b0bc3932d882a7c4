// Decoding through CDicomImageDecoder into each of the three targets against Pillow's decode;
// unsupported transfer syntaxes, missing outs, pre-sized bitmaps and corrupt frames.
#include <Decoder/DicomGeneralUtils.h>

#include "decoder_support.h"

namespace decoder_test {
namespace {

using DicomGeneralUtils::CDicomImageDecoder;

class ExactSample : public ::testing::TestWithParam<std::string> {
 protected:
  const Sample& Get() {
    for (const Sample& s : Samples()) {
      if (s.name == GetParam()) return s;
    }
    ADD_FAILURE() << "sample missing: " << GetParam();
    static const Sample none;
    return none;
  }
};

TEST_P(ExactSample, CallerBufferEqualsIndependentDecode) {
  const Sample& s = Get();
  ASSERT_FALSE(s.encoded.empty());
  CDicomImageDecoder decoder(s.transferSyntax());
  ASSERT_TRUE(decoder.IsSupported());
  const size_t stride = ((s.width * s.components * (s.bits / 8)) + 3) & ~size_t{3};
  std::vector<BYTE> lines(stride * s.height, 0xCD);
  ULONG count = 0;
  LONG width = 0, height = 0;
  ASSERT_EQ(decoder.Decode(s.encoded.data(), static_cast<ULONG>(s.encoded.size()), static_cast<USHORT>(s.components),
                           lines.data(), &count, &width, &height),
            S_OK);
  EXPECT_EQ(width, static_cast<LONG>(s.width));
  EXPECT_EQ(height, static_cast<LONG>(s.height));
  EXPECT_EQ(count, stride * s.height);
  EXPECT_EQ(Repack(lines.data(), stride, s), s.reference);
}

TEST_P(ExactSample, BitmapTargetsEqualIndependentDecode) {
  const Sample& s = Get();
  CDicomImageDecoder decoder(s.transferSyntax());
  ComPtr<IKLVBitmapImage> first;
  ASSERT_EQ(CreateComponent(CLSID_KLVBitmapImage, IID_IKLVBitmapImage, first), S_OK);
  ASSERT_EQ(decoder.Decode(s.encoded.data(), static_cast<ULONG>(s.encoded.size()), static_cast<USHORT>(s.components),
                           first.Get()),
            S_OK);
  ComPtr<IKLVBitmapImage2> second;
  ASSERT_EQ(CreateComponent(CLSID_KLVBitmapImage, IID_IKLVBitmapImage2, second), S_OK);
  LONG width = 0, height = 0;
  ASSERT_EQ(decoder.Decode(s.encoded.data(), static_cast<ULONG>(s.encoded.size()), static_cast<USHORT>(s.components),
                           second.Get(), &width, &height),
            S_OK);
  EXPECT_EQ(width, static_cast<LONG>(s.width));
  for (IKLVBitmapImage* bitmap : {first.Get()}) {
    LONG stride = 0, w = 0;
    bitmap->get_Stride(&stride);
    bitmap->get_Width(&w);
    EXPECT_EQ(w, static_cast<LONG>(s.width));
    char* bits = nullptr;
    ASSERT_EQ(bitmap->LockBits(&bits), S_OK);
    EXPECT_EQ(Repack(reinterpret_cast<BYTE*>(bits), static_cast<size_t>(stride), s), s.reference);
    bitmap->UnlockBits(bits);
  }
  LONG stride = 0;
  second->get_Stride(&stride);
  ULONG size = 0;
  BYTE* bits = nullptr;
  ASSERT_EQ(second->RemoteGetBits(&size, &bits), S_OK);
  EXPECT_EQ(Repack(bits, static_cast<size_t>(stride), s), s.reference);
  second->RemoteCancelBits(&size, &bits);
}

INSTANTIATE_TEST_SUITE_P(JpegBaselineAndJpeg2000Lossless, ExactSample,
                         ::testing::Values("jpeg-rgb-444", "jpeg-rgb-420-odd", "jpeg-grey", "jpeg-tile-256",
                                           "j2k-rgb-lossless", "j2k-grey-lossless", "j2k-grey16-lossless"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name) c = c == '-' ? '_' : c;
                           return name;
                         });

class UnsupportedSyntax : public ::testing::TestWithParam<long> {};

TEST_P(UnsupportedSyntax, EveryDecodeAnswersNotImplemented) {
  CDicomImageDecoder decoder(GetParam());
  EXPECT_FALSE(decoder.IsSupported());
  const Sample& s = Samples().front();
  std::vector<BYTE> lines(1 << 20);
  LONG width = 0, height = 0;
  EXPECT_EQ(decoder.Decode(s.encoded.data(), static_cast<ULONG>(s.encoded.size()), 3, lines.data(), nullptr, &width,
                           &height),
            E_NOTIMPL);
  ComPtr<IKLVBitmapImage> bitmap;
  ASSERT_EQ(CreateComponent(CLSID_KLVBitmapImage, IID_IKLVBitmapImage, bitmap), S_OK);
  EXPECT_EQ(decoder.Decode(s.encoded.data(), static_cast<ULONG>(s.encoded.size()), 3, bitmap.Get()), E_NOTIMPL);
  LONG bitmapWidth = -1;
  bitmap->get_Width(&bitmapWidth);
  EXPECT_EQ(bitmapWidth, 0);
}

// 0 to 2 are uncompressed (no codec: frames go through DecodeUncompressed), 7 and 8 JPEG-LS, 13 HTJ2K.
INSTANTIATE_TEST_SUITE_P(NoCodec, UnsupportedSyntax, ::testing::Values(0L, 1L, 2L, 7L, 8L, 13L, 14L, 99L, -1L));

TEST(DecoderOuts, NullWidthOrHeightIsRejectedBeforeTheCodec) {
  const Sample& s = Samples().front();
  CDicomImageDecoder decoder(s.transferSyntax());
  std::vector<BYTE> lines(1 << 16, 0xAB);
  LONG value = 0;
  ComPtr<IKLVBitmapImage2> bitmap;
  ASSERT_EQ(CreateComponent(CLSID_KLVBitmapImage, IID_IKLVBitmapImage2, bitmap), S_OK);
  const ULONG size = static_cast<ULONG>(s.encoded.size());
  EXPECT_EQ(decoder.Decode(s.encoded.data(), size, 3, lines.data(), nullptr, nullptr, &value), E_INVALIDARG);
  EXPECT_EQ(decoder.Decode(s.encoded.data(), size, 3, lines.data(), nullptr, &value, nullptr), E_INVALIDARG);
  EXPECT_EQ(decoder.Decode(s.encoded.data(), size, 3, bitmap.Get(), nullptr, &value), E_INVALIDARG);
  EXPECT_EQ(decoder.Decode(s.encoded.data(), size, 3, bitmap.Get(), &value, nullptr), E_INVALIDARG);
  EXPECT_EQ(lines.front(), 0xAB);
  LONG width = -1;
  bitmap->get_Width(&width);
  EXPECT_EQ(width, 0);
}

TEST(DecoderPresizedBitmap, KeepsItsSizeAndFormatAndRefusesOneTooSmall) {
  const Sample* jpeg = nullptr;
  for (const Sample& s : Samples()) {
    if (s.name == "jpeg-rgb-444") jpeg = &s;
  }
  ASSERT_NE(jpeg, nullptr);
  CDicomImageDecoder decoder(3);
  ComPtr<IKLVBitmapImage> large, small;
  ASSERT_EQ(CreateComponent(CLSID_KLVBitmapImage, IID_IKLVBitmapImage, large), S_OK);
  ASSERT_EQ(CreateComponent(CLSID_KLVBitmapImage, IID_IKLVBitmapImage, small), S_OK);
  ASSERT_EQ(large->Create(100, 60, 400, 0x0026200A), S_OK);
  ASSERT_EQ(small->Create(10, 10, 32, DicomGeneralUtils::kFormat24bppBgr), S_OK);
  const ULONG size = static_cast<ULONG>(jpeg->encoded.size());
  EXPECT_EQ(decoder.Decode(jpeg->encoded.data(), size, 3, large.Get()), S_OK);
  LONG width = 0, height = 0, stride = 0, format = 0;
  large->get_Width(&width);
  large->get_Height(&height);
  large->get_Stride(&stride);
  large->get_PixelFormat(&format);
  EXPECT_EQ(std::vector<LONG>({width, height, stride, format}), std::vector<LONG>({100, 60, 400, 0x0026200A}));
  // The codec writes 48 lines of 192 bytes; a 10-line bitmap cannot hold them.
  EXPECT_EQ(decoder.Decode(jpeg->encoded.data(), size, 3, small.Get()), E_INVALIDARG);
}

TEST(DecoderCorruptFrames, FailWithACodeInEveryTarget) {
  for (const Sample& s : Samples()) {
    CDicomImageDecoder decoder(s.transferSyntax());
    std::vector<std::vector<BYTE>> corrupt;
    corrupt.emplace_back(s.encoded.begin(), s.encoded.begin() + static_cast<long>(s.encoded.size() / 3));
    corrupt.emplace_back(s.encoded);
    for (size_t i = 2; i < corrupt.back().size(); i += 7) corrupt.back()[i] ^= 0x5A;
    corrupt.emplace_back(64, BYTE{0xFF});
    for (const auto& bytes : corrupt) {
      std::vector<BYTE> lines(size_t{1} << 20);
      LONG width = 0, height = 0;
      const HRESULT hr = decoder.Decode(bytes.data(), static_cast<ULONG>(bytes.size()),
                                        static_cast<USHORT>(s.components), lines.data(), nullptr, &width, &height);
      // A damaged stream may still decode to some picture; it must never succeed with a wrong size.
      if (SUCCEEDED(hr)) {
        EXPECT_EQ(width, static_cast<LONG>(s.width)) << s.name;
      }
      EXPECT_TRUE(FAILED(hr) || bytes == s.encoded || bytes.size() >= s.encoded.size()) << s.name;
    }
  }
}

}  // namespace
}  // namespace decoder_test

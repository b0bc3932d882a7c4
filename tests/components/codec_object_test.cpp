// The codec classes through IKLVImageCodec: info and decode of every sample, argument checks, the
// interfaces answered, and many threads decoding with one object.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <KLVInterfaces/KLVHostObjects.h>

#include "codec_com/CodecObject.h"
#include "codec_samples.h"
#include <zplatform/com_ptr.h>

namespace Components::Testing {
namespace {

ComPtr<IKLVImageCodec> CodecFor(const Sample& sample) {
  return ComPtr<IKLVImageCodec>(sample.name.rfind("jpeg", 0) == 0 ? CreateJpegCodec() : CreateJpeg2000Codec());
}

// GetImageInfo, then DecodeImage with what it reported and alignment 4, as the module's decoder does.
HRESULT DecodeThroughObject(IKLVImageCodec* codec, const Sample& sample, std::vector<BYTE>& lines) {
  LONG width = 0, height = 0, type = -1;
  HRESULT hr = codec->GetImageInfo(sample.encoded.data(), static_cast<ULONG>(sample.encoded.size()), &width,
                                   &height, &type, nullptr);
  if (FAILED(hr)) return hr;
  const std::size_t stride = StrideFor(static_cast<ImageType>(type), static_cast<std::uint32_t>(width), 3, 4);
  lines.assign(stride * static_cast<std::size_t>(height), 0);
  LONG out = 77;
  hr = codec->DecodeImage(sample.encoded.data(), static_cast<ULONG>(sample.encoded.size()), lines.data(),
                          static_cast<ULONG>(lines.size()), &out, width, height, 4, type);
  return SUCCEEDED(hr) && out != 0 ? E_UNEXPECTED : hr;
}

TEST(CodecObjectTest, DecodesEverySampleLikeTheCore) {
  for (const Sample& sample : Samples()) {
    auto codec = CodecFor(sample);
    std::vector<BYTE> viaObject;
    ASSERT_EQ(DecodeThroughObject(codec.Get(), sample, viaObject), S_OK) << sample.name;
    const ImageType type = TypeFor(sample.components, sample.bits);
    std::vector<BYTE> viaCore(StrideFor(type, sample.width, 3, 4) * sample.height, 0);
    ASSERT_EQ(CoreFor(sample).DecodeInto(sample.encoded.data(), sample.encoded.size(), viaCore.data(), viaCore.size(),
                                         sample.width, sample.height, 4, static_cast<int>(type)),
              S_OK);
    EXPECT_EQ(viaObject, viaCore) << sample.name;
  }
}

TEST(CodecObjectTest, ChecksItsArguments) {
  auto codec = ComPtr<IKLVImageCodec>(CreateJpegCodec());
  const Sample& sample = Samples().front();
  const BYTE* data = sample.encoded.data();
  const auto size = static_cast<ULONG>(sample.encoded.size());
  LONG w = 0, h = 0, t = 0;
  EXPECT_EQ(codec->GetImageInfo(nullptr, size, &w, &h, &t, nullptr), E_POINTER);
  EXPECT_EQ(codec->GetImageInfo(data, size, nullptr, &h, &t, nullptr), E_POINTER);
  EXPECT_EQ(codec->GetImageInfo(data, size, &w, nullptr, &t, nullptr), E_POINTER);
  EXPECT_EQ(codec->GetImageInfo(data, size, &w, &h, nullptr, nullptr), E_POINTER);
  ASSERT_EQ(codec->GetImageInfo(data, size, &w, &h, &t, nullptr), S_OK);
  std::vector<BYTE> lines(StrideFor(static_cast<ImageType>(t), static_cast<std::uint32_t>(w), 3, 4) * h);
  const auto bytes = static_cast<ULONG>(lines.size());
  EXPECT_EQ(codec->DecodeImage(data, size, nullptr, bytes, nullptr, w, h, 4, t), E_POINTER);
  EXPECT_EQ(codec->DecodeImage(data, size, lines.data(), bytes - 1, nullptr, w, h, 4, t), E_INVALIDARG);
  EXPECT_EQ(codec->DecodeImage(data, size, lines.data(), bytes, nullptr, w + 1, h, 4, t), E_INVALIDARG);
  EXPECT_EQ(codec->DecodeImage(data, size, lines.data(), bytes, nullptr, w, h, 4, 5), E_INVALIDARG);
  EXPECT_EQ(codec->DecodeImage(data, size, lines.data(), bytes, nullptr, w, h, 4, t), S_OK);
  EXPECT_EQ(codec->DecodeImage(data, size / 2, lines.data(), bytes, nullptr, w, h, 4, t), kInvalidData);
}

TEST(CodecObjectTest, AnswersItsInterfacesOnly) {
  auto codec = ComPtr<IKLVImageCodec>(CreateJpeg2000Codec());
  for (const IID& iid : {IID_IUnknown, IID_IDispatch, IID_IKLVImageCodec}) {
    void* p = nullptr;
    ASSERT_EQ(codec->QueryInterface(iid, &p), S_OK);
    EXPECT_EQ(p, codec.Get());
    static_cast<IUnknown*>(p)->Release();
  }
  void* p = reinterpret_cast<void*>(1);
  EXPECT_EQ(codec->QueryInterface(IID_IKLVBitmapImage, &p), E_NOINTERFACE);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(codec->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST(CodecObjectTest, ManyThreadsShareOneObject) {
  auto jpeg = ComPtr<IKLVImageCodec>(CreateJpegCodec());
  auto jp2k = ComPtr<IKLVImageCodec>(CreateJpeg2000Codec());
  const auto& samples = Samples();
  std::vector<std::vector<BYTE>> expected(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    IKLVImageCodec* codec = samples[i].name.rfind("jpeg", 0) == 0 ? jpeg.Get() : jp2k.Get();
    ASSERT_EQ(DecodeThroughObject(codec, samples[i], expected[i]), S_OK);
  }
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 40; ++round) {
        const std::size_t i = static_cast<std::size_t>(t * 5 + round) % samples.size();
        IKLVImageCodec* codec = samples[i].name.rfind("jpeg", 0) == 0 ? jpeg.Get() : jp2k.Get();
        std::vector<BYTE> lines;
        if (DecodeThroughObject(codec, samples[i], lines) != S_OK || lines != expected[i]) ++mismatches;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(mismatches.load(), 0);
}

}  // namespace
}  // namespace Components::Testing

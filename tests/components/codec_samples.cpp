// Loads the codec samples once per process and converts decoded lines back to packed R, G, B.
#include "codec_samples.h"

#include "codec_jp2k/Jp2kCodecCore.h"
#include "codec_jpeg/JpegCodecCore.h"

namespace Components::Testing {

const std::vector<Sample>& Samples() {
  static const std::vector<Sample> samples = codec_samples::Load(CODEC_SAMPLES_DIR);
  return samples;
}

const CodecCore& CoreFor(const Sample& sample) {
  static const JpegCodecCore jpeg;
  static const Jp2kCodecCore jp2k;
  return sample.name.rfind("jpeg", 0) == 0 ? static_cast<const CodecCore&>(jpeg) : jp2k;
}

HRESULT DecodePacked(const CodecCore& core, const std::vector<std::uint8_t>& encoded, const Sample& sample,
                     std::vector<std::uint8_t>& packed) {
  const std::uint32_t bytes = sample.bits / 8;
  const ImageType type = TypeFor(sample.components, sample.bits);
  const std::size_t stride = StrideFor(type, sample.width, 3, 4);
  std::vector<std::uint8_t> lines(stride * sample.height, 0xCD);
  const HRESULT hr = core.DecodeInto(encoded.data(), encoded.size(), lines.data(), lines.size(),
                                     static_cast<std::int32_t>(sample.width),
                                     static_cast<std::int32_t>(sample.height), 4, static_cast<std::int32_t>(type));
  if (FAILED(hr)) return hr;
  const std::size_t pixelBytes = std::size_t{sample.components} * bytes;
  packed.assign(std::size_t{sample.width} * sample.height * pixelBytes, 0);
  for (std::uint32_t y = 0; y < sample.height; ++y) {
    for (std::uint32_t x = 0; x < sample.width; ++x) {
      for (std::uint32_t c = 0; c < sample.components; ++c) {
        const std::uint32_t from = sample.components == 3 ? 2 - c : c;  // B, G, R -> R, G, B
        for (std::uint32_t b = 0; b < bytes; ++b) {
          packed[(std::size_t{y} * sample.width + x) * pixelBytes + c * bytes + b] =
              lines[y * stride + x * pixelBytes + from * bytes + b];
        }
      }
    }
  }
  return hr;
}

}  // namespace Components::Testing

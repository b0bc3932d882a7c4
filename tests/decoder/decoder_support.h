// Test support for the decoder: the component classes (registered once), the codec samples with
// Pillow's reference decode, and repacking decoded B, G, R lines into packed R, G, B pixels.
#pragma once

#include <KLVInterfaces/KLVHostObjects.h>
#include <KLVInterfaces/KLVImageCodec.h>
#include <KLVComponents.h>
#include <objbase.h>
#include <zplatform/com_ptr.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "../support/codec_sample_list.h"

namespace decoder_test {

template <class T>
HRESULT CreateComponent(const CLSID& clsid, const IID& iid, ComPtr<T>& object) {
  const HRESULT registered = ZorvelComponentsRegister();
  if (FAILED(registered)) return registered;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object.OutVoid());
}

using codec_samples::Sample;

inline const std::vector<Sample>& Samples() {
  static const std::vector<Sample> samples = codec_samples::Load(CODEC_SAMPLES_DIR);
  return samples;
}

// Lines of `stride` bytes holding B, G, R (or grey) pixels -> packed R, G, B (or grey).
inline std::vector<BYTE> Repack(const BYTE* lines, size_t stride, const Sample& s) {
  const size_t bytes = s.bits / 8, pixelBytes = s.components * bytes;
  std::vector<BYTE> packed(size_t{s.width} * s.height * pixelBytes);
  for (size_t y = 0; y < s.height; ++y) {
    for (size_t x = 0; x < s.width; ++x) {
      for (size_t c = 0; c < s.components; ++c) {
        const size_t from = s.components == 3 ? 2 - c : c;
        for (size_t b = 0; b < bytes; ++b) {
          packed[(y * s.width + x) * pixelBytes + c * bytes + b] = lines[y * stride + x * pixelBytes + from * bytes + b];
        }
      }
    }
  }
  return packed;
}

}  // namespace decoder_test

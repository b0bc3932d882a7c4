// Test support for the decoder: the component classes (registered once), the codec samples with
// Pillow's reference decode, and repacking decoded B, G, R lines into packed R, G, B pixels.
#pragma once

#include <KLVComponentInterfaces.h>
#include <KLVComponents.h>
#include <objbase.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace decoder_test {

template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() {
    if (m_p != nullptr) m_p->Release();
  }
  T* operator->() const { return m_p; }
  T* Get() const { return m_p; }
  void** Out() { return reinterpret_cast<void**>(&m_p); }

 private:
  T* m_p = nullptr;
};

template <class T>
HRESULT CreateComponent(const CLSID& clsid, const IID& iid, Ref<T>& object) {
  const HRESULT registered = ZorvelComponentsRegister();
  if (FAILED(registered)) return registered;
  return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, object.Out());
}

struct Sample {
  std::string name;
  std::uint32_t width = 0, height = 0, components = 0, bits = 0;
  bool exact = false;
  std::vector<BYTE> encoded, reference;
  long transferSyntax() const { return name.rfind("jpeg", 0) == 0 ? 3 : 10; }
};

inline std::vector<BYTE> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline const std::vector<Sample>& Samples() {
  static const std::vector<Sample> samples = [] {
    std::vector<Sample> loaded;
    std::ifstream list(std::string(CODEC_SAMPLES_DIR) + "/samples.txt");
    std::string line;
    while (std::getline(list, line)) {
      std::istringstream fields(line);
      Sample s;
      int exact = 0;
      if (!(fields >> s.name >> s.width >> s.height >> s.components >> s.bits >> exact)) continue;
      s.exact = exact != 0;
      s.encoded = ReadAll(std::string(CODEC_SAMPLES_DIR) + "/" + s.name + ".enc");
      s.reference = ReadAll(std::string(CODEC_SAMPLES_DIR) + "/" + s.name + ".ref");
      loaded.push_back(std::move(s));
    }
    return loaded;
  }();
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

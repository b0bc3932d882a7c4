// Test support for channel properties, single images and annotations: a white-box slide-access
// object on a generated or real slide, VARIANT and bitmap holders, and one-line Python answers.
#pragma once

#include <KLVComponents.h>
#include <objbase.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "../support/component_objects.h"
#include "module_host.h"
#include "raw_support.h"
#include "slide_double.h"

namespace module_test {

class SinglesAccess : public ScriptedSlideAccess {
 public:
  using CDicomZorvelImpl::m_singleImages;
};

struct SinglesSlide {
  ComPtr<IKLVZorvel3> ref;
  SinglesAccess* impl = nullptr;
  IKLVZorvel3* operator->() const { return ref.Get(); }
};

inline SinglesSlide OpenSinglesSlide(const std::filesystem::path& path) {
  SinglesSlide slide;
  EXPECT_EQ(ZorvelCom::CreateComInstance<SinglesAccess>(nullptr, IID_IKLVZorvel3, slide.ref.OutVoid()), S_OK);
  slide.impl = static_cast<SinglesAccess*>(slide.ref.Get());
  if (!path.empty()) {
    EXPECT_EQ(Open(slide.ref.Get(), path), S_OK);
  }
  return slide;
}

struct Variant {
  VARIANT v;
  Variant() { VariantInit(&v); }
  ~Variant() { VariantClear(&v); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* operator&() { return &v; }
};

inline std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }
inline std::string Narrow(BSTR text) {
  return text == nullptr ? std::string() : std::string(text, text + SysStringLen(text));
}

using test_support::NewBitmap;

struct BitmapPixels {
  LONG width = 0, height = 0, stride = 0, format = 0;
  std::vector<BYTE> bytes;  // height lines of stride bytes
};

inline BitmapPixels Pixels(IKLVBitmapImage* bitmap) {
  BitmapPixels pixels;
  bitmap->get_Width(&pixels.width);
  bitmap->get_Height(&pixels.height);
  bitmap->get_Stride(&pixels.stride);
  bitmap->get_PixelFormat(&pixels.format);
  char* bits = nullptr;
  if (SUCCEEDED(bitmap->LockBits(&bits)) && bits != nullptr) {
    pixels.bytes.assign(bits, bits + static_cast<size_t>(pixels.height) * pixels.stride);
    bitmap->UnlockBits(bits);
  }
  return pixels;
}

// The standard output of a Python program run with the test's Python.
inline std::string PythonOutput(const std::string& program, const std::string& argument) {
  const std::string command = std::string(ZORVEL_PYTHON) + " -c \"" + program + "\" '" + argument + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::string output;
  char buffer[4096];
  while (pipe && fgets(buffer, sizeof buffer, pipe.get()) != nullptr) output += buffer;
  return output;
}

inline std::filesystem::path RealSlideDir(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(ZORVEL_TESTDATA_DIR) / "highdicom" / name;
  return std::filesystem::exists(dir) ? dir : std::filesystem::path();
}

}  // namespace module_test

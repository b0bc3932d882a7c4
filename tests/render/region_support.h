// Test support for region rendering: slide-access objects on generated slides, host bitmaps from
// the component library, GetImage into packed pixels, and the Python oracle's picture of a request.
#pragma once

#include <KLVComponents.h>
#include <KLVInterfaces/KLVHostObjects.h>
#include <objbase.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../support/component_objects.h"
#include "module_host.h"
#include "slide_double.h"

namespace render_test {


struct Slide {
  ComPtr<IKLVZorvel3> ref;
  IKLVZorvel3* operator->() const { return ref.Get(); }
};

inline Slide OpenSlide(const std::filesystem::path& path) {
  Slide slide;
  EXPECT_EQ(ZorvelCom::CreateComInstance<module_test::ScriptedSlideAccess>(nullptr, IID_IKLVZorvel3,
                                                                           slide.ref.OutVoid()),
            S_OK);
  EXPECT_EQ(module_test::Open(slide.ref.Get(), path), S_OK);
  return slide;
}

using test_support::NewBitmap;

struct Picture {
  LONG width = 0, height = 0, format = 0;
  std::vector<BYTE> bytes;  // lines without their padding
};

// The bitmap's pixels, line padding dropped.
inline Picture Read(IKLVBitmapImage* bitmap) {
  Picture picture;
  LONG stride = 0;
  bitmap->get_Width(&picture.width);
  bitmap->get_Height(&picture.height);
  bitmap->get_Stride(&stride);
  bitmap->get_PixelFormat(&picture.format);
  const LONG lineBytes = picture.width * (picture.format == 0x0010300C ? 6 : 3);
  char* bits = nullptr;
  if (picture.width == 0 || FAILED(bitmap->LockBits(&bits)) || bits == nullptr) return picture;
  for (LONG y = 0; y < picture.height; ++y) {
    picture.bytes.insert(picture.bytes.end(), bits + y * stride, bits + y * stride + lineBytes);
  }
  bitmap->UnlockBits(bits);
  return picture;
}

struct Region {
  LONG x1, y1, x2, y2, level;
};

inline HRESULT GetImage(IKLVZorvel3* slide, const Region& r, LONG red, LONG green, LONG blue,
                        IKLVBitmapImage* bitmap) {
  return slide->GetImage(r.x1, r.y1, r.x2, r.y2, r.level, red, green, blue, bitmap);
}

// The oracle's picture: blue is the first channel read (-1 none), plane the library's focal
// plane (-1: none chosen), wide for 16-bit output samples.
inline std::vector<BYTE> Expected(const std::filesystem::path& slide, const Region& r, int blue, int plane, bool wide) {
  static int serial = 0;
  const std::filesystem::path out = module_test::ScratchDir() / ("oracle-" + std::to_string(++serial) + ".raw");
  const std::string command = std::string(ZORVEL_PYTHON) + " " + ZORVEL_SOURCE_DIR + "/tests/render/region_oracle.py '" +
                              slide.string() + "' " + std::to_string(r.x1) + " " + std::to_string(r.y1) + " " +
                              std::to_string(r.x2) + " " + std::to_string(r.y2) + " " + std::to_string(r.level) + " " +
                              std::to_string(blue) + " " + std::to_string(plane) + " " + (wide ? "1" : "0") + " '" +
                              out.string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream in(out, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace render_test

// Test support for raw tile access: a white-box slide-access object, generated slides, pydicom's
// frame bytes of a slide file, and host memory buffers from the component library.
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

namespace module_test {

class RawSlideAccess : public ScriptedSlideAccess {
 public:
  using CDicomZorvelImpl::GetEncodedSourceTile;
  using CDicomZorvelImpl::m_bLargeRawTiles;
  using CDicomZorvelImpl::m_pDecoder;
  using CDicomZorvelImpl::m_tileStride;
};

struct RawSlide {
  ComPtr<IKLVZorvel3> ref;
  RawSlideAccess* impl = nullptr;
  RawSlideAccess* operator->() const { return impl; }
  IKLVZorvel3* api() const { return ref.Get(); }
};

inline RawSlide OpenRawSlide(const std::filesystem::path& path) {
  RawSlide slide;
  EXPECT_EQ(ZorvelCom::CreateComInstance<RawSlideAccess>(nullptr, IID_IKLVZorvel3, slide.ref.OutVoid()), S_OK);
  slide.impl = static_cast<RawSlideAccess*>(slide.ref.Get());
  EXPECT_EQ(Open(slide.api(), path), S_OK);
  return slide;
}

inline std::vector<BYTE> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Frame `index` (from 0) of a DICOM file, as pydicom reads it.
inline std::vector<BYTE> FrameBytes(const std::filesystem::path& file, long index) {
  const std::filesystem::path dir = ScratchDir() / ("frames-" + file.parent_path().filename().string() + "-" +
                                                    file.stem().string());
  if (!std::filesystem::exists(dir / "0.bin")) {
    const std::string command = std::string(ZORVEL_PYTHON) + " " + ZORVEL_SOURCE_DIR +
                                "/tests/rawtiles/dump_frames.py '" + file.string() + "' '" + dir.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
  return ReadFile(dir / (std::to_string(index) + ".bin"));
}

// The one file of a slide directory whose name starts with prefix (e.g. "level0_edf").
inline std::filesystem::path SlideFile(const std::filesystem::path& slide, const std::string& prefix) {
  for (const auto& entry : std::filesystem::directory_iterator(slide)) {
    if (entry.path().filename().string().rfind(prefix, 0) == 0) return entry.path();
  }
  ADD_FAILURE() << "no file " << prefix << " in " << slide;
  return {};
}

using test_support::NewBuffer;

inline std::vector<BYTE> Contents(IKLVMemoryBuffer* buffer) {
  LONG size = 0;
  char* data = nullptr;
  if (FAILED(buffer->RemoteGetPtr(&size, &data)) || data == nullptr) return {};
  std::vector<BYTE> bytes(data, data + size);
  buffer->RemotePassPtr(&size, &data);
  return bytes;
}

}  // namespace module_test

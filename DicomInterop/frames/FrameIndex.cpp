// Builds the frame index of one instance (see FrameIndex.h). Reads only element and item
// headers, never frame data. Every walk advances by at least one item header and is bounded
// by the file size, so corrupt lengths end in WSI_E_MALFORMED, never in a loop.
#include "FrameIndex.h"

#include <cstring>
#include <new>

#include "FragmentWalk.h"

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

constexpr uint32_t kUndefinedLength = 0xffffffffu;

struct PixelElement {
  uint64_t valueStart = 0;
  uint32_t length = 0;
};

uint32_t U32(const uint8_t* p, bool bigEndian) {
  return bigEndian ? (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3])
                   : (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
}

long ReadPixelElement(const PixelFile& file, const InstanceInfo& info, PixelElement& element) {
  uint8_t header[12] = {};
  const size_t headerSize = info.implicitVr ? 8 : 12;
  if (file.ReadAt(info.pixelDataOffset, headerSize, header) != WSI_OK) return WSI_E_MALFORMED;
  const uint8_t le[4] = {0xe0, 0x7f, 0x10, 0x00}, be[4] = {0x7f, 0xe0, 0x00, 0x10};
  if (std::memcmp(header, info.bigEndian ? be : le, 4) != 0) return WSI_E_MALFORMED;
  element.length = U32(header + headerSize - 4, info.bigEndian);
  element.valueStart = info.pixelDataOffset + headerSize;
  return WSI_OK;
}

uint64_t NativeFrameBytes(const InstanceInfo& info) {
  const uint64_t bits = uint64_t{info.rows} * info.columns * info.samplesPerPixel * info.bitsAllocated;
  return (bits + 7) / 8;
}

long IndexNative(const PixelFile& file, const InstanceInfo& info, const PixelElement& element, FrameIndex& index) {
  const uint64_t frameBytes = NativeFrameBytes(info);
  const uint64_t total = frameBytes * info.frameCount;
  if (frameBytes == 0 || element.length == kUndefinedLength || element.length < total ||
      element.valueStart + total > file.Size()) {
    return WSI_E_MALFORMED;
  }
  index.spans.reserve(info.frameCount);
  index.firstSpan.reserve(info.frameCount + 1);
  for (uint32_t i = 0; i < info.frameCount; ++i) {
    index.firstSpan.push_back(i);
    index.spans.push_back({element.valueStart + i * frameBytes, frameBytes});
  }
  index.firstSpan.push_back(info.frameCount);
  index.pixelDataStart = element.valueStart;
  index.pixelDataEnd = element.valueStart + total;
  return WSI_OK;
}

}  // namespace

uint64_t FrameIndex::FrameLength(uint32_t frame) const {
  uint64_t length = 0;
  for (uint32_t s = firstSpan[frame]; s < firstSpan[frame + 1]; ++s) length += spans[s].length;
  return length;
}

long BuildFrameIndex(const PixelFile& file, const InstanceInfo& info, FrameIndex& index) {
  try {
    if (!file.IsOpen()) return WSI_E_IO;
    if (info.syntax == WSI_TS_OTHER) return WSI_E_UNSUPPORTED;
    PixelElement element;
    if (long rc = ReadPixelElement(file, info, element); rc != WSI_OK) return rc;
    const bool native = info.syntax <= WSI_TS_EXPLICIT_VR_BIG_ENDIAN;
    if (native) return IndexNative(file, info, element, index);
    if (element.length != kUndefinedLength) return WSI_E_MALFORMED;
    return IndexEncapsulated(file, info, element.valueStart, index);
  } catch (const std::bad_alloc&) {
    return WSI_E_OUTOFMEMORY;
  }
}

}  // namespace dicominterop

// Builds the frame index of one instance (see FrameIndex.h). Reads only element and item
// headers and offset tables, never frame data. Every walk advances by at least one item header
// and is bounded by the file size, so corrupt lengths end in WSI_E_MALFORMED, never in a loop.
// A walked index is kept in the sidecar index cache and taken from there on the next open.
#include "FrameIndex.h"

#include <new>

#include "../dataset/ElementReader.h"
#include "../dataset/Tags.h"
#include "FragmentWalk.h"
#include "IndexCache.h"

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

long ReadPixelElement(const PixelFile& file, const InstanceInfo& info, ElementHeader& element) {
  uint8_t header[12] = {};
  const size_t headerSize = std::min<uint64_t>(sizeof header, file.Size() - std::min(file.Size(), info.pixelDataOffset));
  if (file.ReadAt(info.pixelDataOffset, headerSize, header) != WSI_OK) return WSI_E_MALFORMED;
  const ElementReader reader(std::span<const uint8_t>(header, headerSize), Encoding{!info.implicitVr, !info.bigEndian});
  if (!reader.ReadHeader(0, headerSize, element, true) || element.tag != tags::kPixelData) return WSI_E_MALFORMED;
  element.value += info.pixelDataOffset;
  return WSI_OK;
}

uint64_t NativeFrameBytes(const InstanceInfo& info) {
  const uint64_t bits = uint64_t{info.rows} * info.columns * info.samplesPerPixel * info.bitsAllocated;
  return (bits + 7) / 8;
}

long IndexNative(const PixelFile& file, const InstanceInfo& info, const ElementHeader& element, FrameIndex& index) {
  const uint64_t frameBytes = NativeFrameBytes(info);
  const uint64_t total = frameBytes * info.frameCount;
  if (frameBytes == 0 || element.Undefined() || element.length < total || element.value + total > file.Size()) {
    return WSI_E_MALFORMED;
  }
  index.spans.reserve(info.frameCount);
  index.firstSpan.reserve(info.frameCount + 1);
  for (uint32_t i = 0; i < info.frameCount; ++i) {
    index.firstSpan.push_back(i);
    index.spans.push_back({element.value + i * frameBytes, frameBytes});
  }
  index.firstSpan.push_back(info.frameCount);
  index.pixelDataStart = element.value;
  index.pixelDataEnd = element.value + total;
  return WSI_OK;
}

}  // namespace

uint64_t FrameIndex::FrameLength(uint32_t frame) const {
  uint64_t length = 0;
  for (uint32_t s = firstSpan[frame]; s < firstSpan[frame + 1]; ++s) length += spans[s].length;
  return length;
}

bool ItemHeaderMatches(const uint8_t header[8], uint64_t length) {
  const ElementReader reader(std::span<const uint8_t>(header, 8), Encoding{});
  ElementHeader h;
  return reader.ReadHeader(0, 8, h, true) && h.tag == tags::kItem && h.length == length;
}

long BuildFrameIndex(const PixelFile& file, const InstanceInfo& info, IndexMethod method, FrameIndex& index) {
  try {
    if (!file.IsOpen()) return WSI_E_IO;
    if (info.syntax == WSI_TS_OTHER) return WSI_E_UNSUPPORTED;
    ElementHeader element;
    if (long rc = ReadPixelElement(file, info, element); rc != WSI_OK) return rc;
    const bool native = info.syntax <= WSI_TS_EXPLICIT_VR_BIG_ENDIAN;
    if (native) return IndexNative(file, info, element, index);
    if (!element.Undefined()) return WSI_E_MALFORMED;
    const IndexCacheSettings cache = IndexCacheSettings::FromEnvironment();
    if (method == IndexMethod::kTrustTables) {
      const long rc = IndexFromOffsetTable(file, info, element.value, index);
      if (rc != WSI_E_NOT_FOUND) return rc;
      if (LoadCachedIndex(cache, file, info, element.value, index)) return WSI_OK;
    }
    // A walk asked for by name follows a frame header that did not match the index in use,
    // which may have come from the cache: it walks, and its result replaces the cached one.
    const long rc = IndexByWalk(file, info, element.value, index);
    if (rc == WSI_OK) StoreCachedIndex(cache, file, info, index);
    return rc;
  } catch (const std::bad_alloc&) {
    return WSI_E_OUTOFMEMORY;
  }
}

}  // namespace dicominterop

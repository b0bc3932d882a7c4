// Single-image reading (see SingleImage.h).
#include "SingleImage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "../frames/InstanceFrames.h"
#include "../pyramid/PyramidMath.h"

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

// Copies the tiles of a native TILED_FULL image into one width x height matrix.
bool AssembleNative(const InstanceFrames& frames, const InstanceInfo& info, SingleImageData& out) {
  const uint64_t pixelBytes = uint64_t{info.samplesPerPixel} * info.bitsAllocated / 8;
  const uint64_t rowBytes = pixelBytes * info.totalColumns, tileRowBytes = pixelBytes * info.columns;
  const uint64_t total = rowBytes * info.totalRows;
  const uint32_t across = TileCount(info.totalColumns, info.columns);
  if (pixelBytes == 0 || total == 0 || info.PlacedByPositions() || info.bitsAllocated % 8 != 0 ||
      uint64_t{across} * TileCount(info.totalRows, info.rows) > info.frameCount) {
    return false;
  }
  auto* image = static_cast<uint8_t*>(std::calloc(1, total));
  if (!image) return false;
  for (uint32_t f = 0; f < uint64_t{across} * TileCount(info.totalRows, info.rows); ++f) {
    uint8_t* tile = nullptr;
    uint64_t size = 0;
    if (frames.ReadFrame(f, &tile, &size) != WSI_OK || size < tileRowBytes * info.rows) {
      std::free(tile);
      std::free(image);
      return false;
    }
    const uint64_t x0 = uint64_t{f % across} * info.columns, y0 = uint64_t{f / across} * info.rows;
    const uint64_t copyBytes = std::min<uint64_t>(info.columns, info.totalColumns - x0) * pixelBytes;
    for (uint64_t r = 0; r < info.rows && y0 + r < info.totalRows; ++r) {
      std::memcpy(image + (y0 + r) * rowBytes + x0 * pixelBytes, tile + r * tileRowBytes, copyBytes);
    }
    std::free(tile);
  }
  out = {image, total, static_cast<uint16_t>(info.totalColumns), static_cast<uint16_t>(info.totalRows)};
  return true;
}

}  // namespace

bool ReadSingleImage(const std::shared_ptr<const InstanceInfo>& shared, SingleImageData& out) {
  const InstanceInfo& info = *shared;
  InstanceFrames frames(shared);
  if (info.frameCount == 1) {
    if (frames.ReadFrame(0, &out.data, &out.size) != WSI_OK) return false;
    out.width = info.columns;
    out.height = info.rows;
    return true;
  }
  const bool native = info.syntax <= WSI_TS_EXPLICIT_VR_BIG_ENDIAN;
  if (!native || info.totalColumns > 65535 || info.totalRows > 65535) return false;
  return AssembleNative(frames, info, out);
}

}  // namespace dicominterop

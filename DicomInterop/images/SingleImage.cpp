// Single-image reading (see SingleImage.h).
#include "SingleImage.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "../frames/InstanceFrames.h"
#include "../pyramid/PyramidMath.h"
#include "FrameDecode.h"

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

// Native samples of frame `index`, at least one tile's worth of bytes.
using TileReader = std::function<bool(uint32_t index, std::vector<uint8_t>& tile)>;

// Copies the tiles of a TILED_FULL image (row by row, columns fastest) into one width x height matrix.
bool Assemble(const InstanceInfo& info, const TileReader& readTile, SingleImageData& out) {
  const uint64_t pixelBytes = uint64_t{info.samplesPerPixel} * info.bitsAllocated / 8;
  const uint64_t rowBytes = pixelBytes * info.totalColumns, tileRowBytes = pixelBytes * info.columns;
  const uint64_t total = rowBytes * info.totalRows;
  const uint32_t across = TileCount(info.totalColumns, info.columns);
  const uint64_t tileCount = uint64_t{across} * TileCount(info.totalRows, info.rows);
  if (pixelBytes == 0 || total == 0 || info.PlacedByPositions() || info.bitsAllocated % 8 != 0 ||
      tileCount > info.frameCount) {
    return false;
  }
  std::unique_ptr<uint8_t, decltype(&std::free)> image(static_cast<uint8_t*>(std::calloc(1, total)), &std::free);
  if (!image) return false;
  std::vector<uint8_t> tile;
  for (uint32_t f = 0; f < tileCount; ++f) {
    if (!readTile(f, tile) || tile.size() < tileRowBytes * info.rows) return false;
    const uint64_t x0 = uint64_t{f % across} * info.columns, y0 = uint64_t{f / across} * info.rows;
    const uint64_t copyBytes = std::min<uint64_t>(info.columns, info.totalColumns - x0) * pixelBytes;
    for (uint64_t r = 0; r < info.rows && y0 + r < info.totalRows; ++r) {
      std::memcpy(image.get() + (y0 + r) * rowBytes + x0 * pixelBytes, tile.data() + r * tileRowBytes, copyBytes);
    }
  }
  out.data = image.release();
  out.size = total;
  out.width = static_cast<uint16_t>(info.totalColumns);
  out.height = static_cast<uint16_t>(info.totalRows);
  return true;
}

// Frame `index` as stored, optionally decoded.
bool ReadTile(const InstanceFrames& frames, const InstanceInfo& info, bool decode, uint32_t index,
              std::vector<uint8_t>& tile) {
  uint8_t* data = nullptr;
  uint64_t size = 0;
  if (frames.ReadFrame(index, &data, &size) != WSI_OK) return false;
  std::unique_ptr<uint8_t, decltype(&std::free)> owner(data, &std::free);
  if (decode) return DecodeFrame(info, data, size, tile);
  tile.assign(data, data + size);
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
    out.syntax = info.syntax;
    return true;
  }
  if (info.totalColumns > 65535 || info.totalRows > 65535) return false;
  const bool native = info.syntax <= WSI_TS_EXPLICIT_VR_BIG_ENDIAN;
  const TileReader readTile = [&](uint32_t index, std::vector<uint8_t>& tile) {
    return ReadTile(frames, info, !native, index, tile);
  };
  if (!Assemble(info, readTile, out)) return false;
  out.syntax = native ? info.syntax : WSI_TS_EXPLICIT_VR_LITTLE_ENDIAN;
  return true;
}

}  // namespace dicominterop

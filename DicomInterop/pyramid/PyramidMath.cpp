// Pure pyramid and tiling arithmetic (see PyramidMath.h).
#include "PyramidMath.h"

#include <cmath>

namespace dicominterop {

int32_t PyramidLevelOf(uint32_t level0Width, uint32_t width) {
  if (level0Width == 0 || width == 0 || width > level0Width) return -1;
  return static_cast<int32_t>(std::lround(std::log2(static_cast<double>(level0Width) / width)));
}

uint32_t TileCount(uint32_t total, uint32_t tile) {
  return tile == 0 ? 0 : static_cast<uint32_t>((uint64_t{total} + tile - 1) / tile);
}

FullTileAddress TiledFullAddress(uint64_t frame, uint32_t across, uint32_t down, uint32_t planes) {
  const uint64_t perPlane = uint64_t{across} * down;
  const uint64_t perPath = perPlane * planes;
  FullTileAddress a{};
  a.column = static_cast<uint32_t>(frame % across);
  a.row = static_cast<uint32_t>((frame / across) % down);
  a.plane = static_cast<uint32_t>((frame / perPlane) % planes);
  a.path = static_cast<uint32_t>(frame / perPath);
  return a;
}

}  // namespace dicominterop

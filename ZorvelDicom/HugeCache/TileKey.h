// The key a cached tile is filed under: client number, focus, zoom level, channel, tile row and
// tile column, compared field by field in that order as signed numbers.
#pragma once

#include <compare>
#include <cstdint>

namespace HugeCache {

struct TileKey {
  std::int64_t client = 0;  // client number of the slide path in the cache's registry
  std::int32_t focus = 0;   // plane index as the slide library takes it, -1 for extended focus
  std::int32_t zoom = 0;    // level index, 0 = full resolution
  std::int32_t channel = 0;
  std::int32_t row = 0;     // y in tiles
  std::int32_t column = 0;  // x in tiles

  friend auto operator<=>(const TileKey&, const TileKey&) = default;
};

}  // namespace HugeCache

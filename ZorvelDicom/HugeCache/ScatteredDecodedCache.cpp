// The overflow-tier client of one decoded-tile cache; its number is that of the decoded client.
#include "HugeCache/ScatteredDecodedCache.h"

namespace HugeCache {

ScatteredDecodedCache::~ScatteredDecodedCache() = default;

void ScatteredDecodedCache::Register(const std::u16string& path, LONGLONG number) {
  ScatteredCache<DecodedTile>::Register(path);
  AdoptNumber(number);
}

}  // namespace HugeCache

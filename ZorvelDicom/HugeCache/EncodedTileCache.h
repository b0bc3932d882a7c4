// The encoded-tile cache: tiles as the slide library delivered them, so that a tile needed again
// is not read again. One client per opened slide (SlideCacheClients); all clients of one path share a
// number.
//
// Key: TileKey with the path's client number (see SlideCacheClients). Budget: the encoded budget
// (ComputeCacheBudgets), counting the library buffers' sizes. Mutex: the encoded mutex of its
// ScatteredCache instantiation, never held together with the decoded, overflow or reallocation
// mutexes. A found tile is a shared reference: eviction drops the cache's reference only, the
// buffer stays valid until its last holder lets go.
#pragma once

#include "HugeCache/ScatteredCache.h"

namespace HugeCache {

class EncodedTileCache : public ScatteredCache<EncodedTile> {
 public:
  EncodedTileCache() = default;
  ~EncodedTileCache() override;
};

}  // namespace HugeCache

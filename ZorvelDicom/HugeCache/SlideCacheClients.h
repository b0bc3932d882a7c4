// The cache clients of one opened slide: its encoded-tile and decoded-tile clients, filed under
// the slide path's client number. An opening makes a new pair and never changes one in use, so a
// request that holds the pair files and finds tiles under the slide it started on, whatever
// the object opens meanwhile; the pair leaves the caches when its last holder lets go.
#pragma once

#include "HugeCache/DecodedTileCache.h"
#include "HugeCache/EncodedTileCache.h"

namespace HugeCache {

struct SlideCacheClients {
  EncodedTileCache encoded;
  DecodedTileCache decoded;
};

}  // namespace HugeCache

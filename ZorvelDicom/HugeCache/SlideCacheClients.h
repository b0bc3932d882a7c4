// The cache clients of one opened slide: its encoded-tile and decoded-tile clients, filed under
// the slide path's client number. An opening makes a new pair and never changes one in use, so a
// request that holds the pair files and finds tiles under the slide it started on, whatever
// the object opens meanwhile.
// Leaving the caches takes their mutexes and may wait for worker threads, which must not happen
// where a request or an agent's record lets go of the pair (under the agent's locks, or on a
// worker thread): the last holder only retires the pair, and DestroyRetired, called by the
// slide-access object's opening and closing, destroys it.
#pragma once

#include <memory>

#include "HugeCache/DecodedTileCache.h"
#include "HugeCache/EncodedTileCache.h"

namespace HugeCache {

struct SlideCacheClients {
  EncodedTileCache encoded;
  DecodedTileCache decoded;

  // A new pair, retired (not destroyed) when its last holder lets go.
  static std::shared_ptr<SlideCacheClients> Make();
  // Destroys the retired pairs: they leave the caches. Call with no pipeline or cache lock held.
  static void DestroyRetired();
};

}  // namespace HugeCache

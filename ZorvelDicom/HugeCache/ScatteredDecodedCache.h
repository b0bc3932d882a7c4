// The overflow tier of the decoded-tile cache: decoded tiles pushed out of the slab slots, each in
// an array of its own, kept while the overflow budget allows.
//
// Key: TileKey with the decoded-tile client's number. Budget: the part of the decoded budget the
// slabs do not hold (DecodedTileCache::Rebalance). Mutex: the overflow mutex of its ScatteredCache
// instantiation, taken after the decoded mutex, never with the encoded one. A pinned tile (Find
// with pin) keeps its address and is not evicted until the pin is released.
#pragma once

#include "HugeCache/ScatteredCache.h"

namespace HugeCache {

class ScatteredDecodedCache : public ScatteredCache<DecodedTile> {
 public:
  ScatteredDecodedCache() = default;
  ~ScatteredDecodedCache() override;

  // Registers the path as one more user and files this client's tiles under number.
  void Register(const std::u16string& path, LONGLONG number);
};

}  // namespace HugeCache

// The encoded-tile cache client: everything is in its scattered-cache base.
#include "HugeCache/EncodedTileCache.h"

namespace HugeCache {

EncodedTileCache::~EncodedTileCache() = default;

}  // namespace HugeCache

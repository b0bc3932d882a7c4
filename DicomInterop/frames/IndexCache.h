// Sidecar cache of walked frame indexes: a small file per instance under $XDG_CACHE_HOME/zorvel
// (else ~/.cache/zorvel), so that opening a level without an offset table again reads a few
// megabytes instead of walking every fragment item of a file of gigabytes.
// A cache file counts only when its key (path, size, modification time in ns, SOP Instance UID),
// format version, checksum and every span check out; anything else is ignored and rewritten.
// The cache never fails an open: an unwritable directory just means no cache. Files are written
// atomically (temporary file + rename); the oldest are dropped beyond the byte limit.
// Switched off by the environment variable ZORVEL_INDEX_CACHE=0.
#pragma once

#include <string>

#include "FrameIndex.h"

namespace dicominterop {

inline constexpr uint64_t kDefaultIndexCacheBytes = uint64_t{256} << 20;

struct IndexCacheSettings {
  std::string directory;  // empty: the cache is off
  uint64_t byteLimit = kDefaultIndexCacheBytes;

  // ZORVEL_INDEX_CACHE=0 → off; else $XDG_CACHE_HOME/zorvel, else $HOME/.cache/zorvel.
  static IndexCacheSettings FromEnvironment();
};

// The cache file of `info`'s instance (keyed by its absolute path and SOP Instance UID).
std::string CachedIndexPath(const IndexCacheSettings& settings, const InstanceInfo& info);

// True with `index` filled when an intact cache file matches `file` and `info`, with the pixel
// data items starting at `itemsStart`. One fragment per frame leaves index.headersChecked false,
// so each frame's item header is still checked in the read of the frame.
bool LoadCachedIndex(const IndexCacheSettings& settings, const PixelFile& file, const InstanceInfo& info,
                     uint64_t itemsStart, FrameIndex& index);

// Writes the walked `index`, then drops the least recently used cache files beyond the limit.
void StoreCachedIndex(const IndexCacheSettings& settings, const PixelFile& file, const InstanceInfo& info,
                      const FrameIndex& index);

}  // namespace dicominterop

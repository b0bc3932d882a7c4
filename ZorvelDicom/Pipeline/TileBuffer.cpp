// The pool of decoded-tile buffers: a list of free buffers with their sizes under one mutex,
// taken once per tile, so that it costs nothing beside a decode.
#include "Pipeline/TileBuffer.h"

#include <mutex>
#include <utility>
#include <vector>

namespace Pipeline {
namespace {

struct Pool {
  std::mutex mutex;
  std::vector<std::pair<std::size_t, uint8_t*>> free;
  std::size_t freeBytes = 0;
};

Pool& SharedPool() {
  static Pool* pool = new Pool();  // never destroyed: tiles may be released while the process exits
  return *pool;
}

}  // namespace

// The buffer joins the pool; the oldest free buffers leave it when it would grow past its limit, so
// that buffers of a size nobody asks for any more do not stay.
void TileBufferReturn::operator()(uint8_t* buffer) const {
  if (buffer == nullptr) return;
  if (bytes > kPooledBytes) return delete[] buffer;
  std::vector<uint8_t*> dropped;
  {
    Pool& pool = SharedPool();
    std::lock_guard lock(pool.mutex);
    auto kept = pool.free.begin();
    for (; pool.freeBytes + bytes > kPooledBytes; ++kept) {
      pool.freeBytes -= kept->first;
      dropped.push_back(kept->second);
    }
    pool.free.erase(pool.free.begin(), kept);
    pool.free.emplace_back(bytes, buffer);
    pool.freeBytes += bytes;
  }
  for (uint8_t* old : dropped) delete[] old;
}

TileBuffer TakeTileBuffer(std::size_t bytes) {
  Pool& pool = SharedPool();
  {
    std::lock_guard lock(pool.mutex);
    for (auto it = pool.free.rbegin(); it != pool.free.rend(); ++it) {
      if (it->first != bytes) continue;
      uint8_t* buffer = it->second;
      pool.free.erase(std::next(it).base());
      pool.freeBytes -= bytes;
      return TileBuffer(buffer, TileBufferReturn{bytes});
    }
  }
  return TileBuffer(new uint8_t[bytes], TileBufferReturn{bytes});
}

}  // namespace Pipeline

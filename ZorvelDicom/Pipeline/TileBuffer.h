// Owned bytes of a decoded tile that is not kept in the decoded-tile cache. Freed buffers go back to
// a small process-wide pool and are handed out again: a buffer written once costs no page faults
// when it is written again, where fresh memory for every tile would.
// Thread-safe; the pool holds at most kPooledBytes of buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Pipeline {

inline constexpr std::size_t kPooledBytes = std::size_t{32} << 20;

struct TileBufferReturn {
  std::size_t bytes = 0;
  void operator()(uint8_t* buffer) const;
};

using TileBuffer = std::unique_ptr<uint8_t[], TileBufferReturn>;

// A buffer of bytes bytes (contents undefined): a pooled one of that size, else a new one.
// Throws std::bad_alloc.
TileBuffer TakeTileBuffer(std::size_t bytes);

}  // namespace Pipeline

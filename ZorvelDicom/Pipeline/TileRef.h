// A decoded tile on its way from a decode stage to placement and completion: bytes of its own or a
// pinned slot of the decoded-tile cache; or the address of a tile with nothing to place (missing
// from the slide, or deferred). Copies share one handle; the last copy frees the bytes or gives
// the pin back. Reference counts are atomic: copies die on any thread.
#pragma once

#include <cstdint>
#include <memory>

#include "Pipeline/TileBuffer.h"

namespace HugeCache {
class DecodedTileCache;
}

namespace Pipeline {

struct ViewpartState;

inline constexpr uint32_t kNothingToPlace = 0xFFFFFFFFu;

class TileRef {
 public:
  TileRef() = default;
  // A tile with bytes of its own (nullptr: none, the tile is missing or its read failed).
  TileRef(std::shared_ptr<ViewpartState> request, int32_t column, int32_t row, int32_t channel,
          TileBuffer bytes, uint32_t blockIndex);
  // A tile in a slot of the decoded-tile cache, pinned once for this reference.
  TileRef(std::shared_ptr<ViewpartState> request, int32_t column, int32_t row, int32_t channel,
          HugeCache::DecodedTileCache* cache, const uint8_t* slot, uint32_t blockIndex);

  bool valid() const { return m_handle != nullptr; }
  const uint8_t* bytes() const { return m_handle->slot != nullptr ? m_handle->slot : m_handle->bytes.get(); }
  bool hasBytes() const { return valid() && bytes() != nullptr; }
  int32_t column() const { return m_handle->column; }
  int32_t row() const { return m_handle->row; }
  int32_t channel() const { return m_handle->channel; }
  // kNothingToPlace for a deferred tile: it is neither placed nor counted done.
  uint32_t blockIndex() const { return m_handle->blockIndex; }
  ViewpartState& request() const { return *m_handle->request; }

 private:
  struct Handle {
    std::shared_ptr<ViewpartState> request;  // keeps the request alive for TileDone
    int32_t column = 0, row = 0, channel = 0;
    TileBuffer bytes;
    uint32_t blockIndex = kNothingToPlace;
    HugeCache::DecodedTileCache* cache = nullptr;  // holds the pin of slot
    const uint8_t* slot = nullptr;
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle();
  };
  std::shared_ptr<Handle> m_handle;
};

}  // namespace Pipeline

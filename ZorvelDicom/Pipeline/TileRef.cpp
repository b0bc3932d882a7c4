// The shared tile handle of the pipeline's second stage; the last reference gives a slot's pin back.
#include "Pipeline/TileRef.h"

#include "HugeCache/DecodedTileCache.h"

namespace Pipeline {

TileRef::Handle::~Handle() {
  if (slot != nullptr) cache->Release(slot);
}

TileRef::TileRef(std::shared_ptr<ViewpartState> request, int32_t column, int32_t row, int32_t channel,
                 TileBuffer bytes, uint32_t blockIndex)
    : m_handle(std::make_shared<Handle>()) {
  m_handle->request = std::move(request);
  m_handle->column = column;
  m_handle->row = row;
  m_handle->channel = channel;
  m_handle->bytes = std::move(bytes);
  m_handle->blockIndex = blockIndex;
}

TileRef::TileRef(std::shared_ptr<ViewpartState> request, int32_t column, int32_t row, int32_t channel,
                 HugeCache::DecodedTileCache* cache, const uint8_t* slot, uint32_t blockIndex)
    : TileRef(std::move(request), column, row, channel, nullptr, blockIndex) {
  m_handle->cache = cache;
  m_handle->slot = slot;
}

}  // namespace Pipeline

// The shared tile handle of the pipeline's second stage.
#include "Pipeline/TileRef.h"

namespace Pipeline {

TileRef::TileRef(std::shared_ptr<ViewpartState> request, int32_t column, int32_t row, int32_t channel,
                 std::unique_ptr<uint8_t[]> bytes, uint32_t blockIndex)
    : m_handle(std::make_shared<Handle>(Handle{std::move(request), column, row, channel, std::move(bytes),
                                               blockIndex})) {}

}  // namespace Pipeline

// Encoded data of a single image (label, overview, thumbnail): its one frame as stored, or,
// for an uncompressed image split into tiles, the whole pixel matrix assembled from them.
// Compressed multi-frame single images are not assembled (false). Buffer malloc'd.
#pragma once

#include <cstdint>
#include <memory>

#include "../dataset/InstanceInfo.h"

namespace dicominterop {

struct SingleImageData {
  uint8_t* data = nullptr;  // malloc'd; owned by the receiver
  uint64_t size = 0;
  uint16_t width = 0, height = 0;
};

bool ReadSingleImage(const std::shared_ptr<const InstanceInfo>& info, SingleImageData& out);

}  // namespace dicominterop

// Encoded data of a single image (label, overview, thumbnail): its one frame as stored, or, for
// an image split into tiles (TILED_FULL), the whole pixel matrix assembled from them: native tiles
// as they are, compressed tiles decoded first (the result is then native, explicit little endian).
// Buffer malloc'd; false when a tile is missing, unreadable or undecodable.
#pragma once

#include <cstdint>
#include <memory>

#include "../dataset/InstanceInfo.h"

namespace dicominterop {

struct SingleImageData {
  uint8_t* data = nullptr;  // malloc'd; owned by the receiver
  uint64_t size = 0;
  uint16_t width = 0, height = 0;
  DicomInteropDefines::EWSITransferSyntaxes syntax = DicomInteropDefines::WSI_TS_OTHER;  // of `data`
};

bool ReadSingleImage(const std::shared_ptr<const InstanceInfo>& info, SingleImageData& out);

}  // namespace dicominterop

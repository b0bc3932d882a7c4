// One opened zoom level: its instances (focal planes, optical paths, concatenation parts) and a
// tile map from (plane, channel, row, column) to (instance, frame). Immutable once built and
// shared by every zoom image of the level; tile lookups are plain index arithmetic.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "../dataset/InstanceInfo.h"
#include "../frames/InstanceFrames.h"

namespace dicominterop {

struct FrameRef {
  static constexpr uint32_t kMissing = 0xffffffffu;
  uint32_t part = kMissing;  // index into LevelData::parts; kMissing: the level has no such tile
  uint32_t frame = 0;        // 0-based frame within that instance
};

struct LevelData {
  bool extended = false;
  int32_t level = 0;
  std::shared_ptr<const InstanceInfo> representative;  // attributes of the level
  std::vector<std::shared_ptr<InstanceFrames>> parts;
  uint32_t tileWidth = 0, tileHeight = 0, across = 0, down = 0;
  bool tiledFull = true;
  std::vector<double> planeZ;        // focal planes, ascending Z offset (micrometres)
  std::vector<OpticalPath> channels; // optical paths in channel order
  std::vector<FrameRef> tiles;       // ((channel * planes + plane) * down + row) * across + column

  const FrameRef* Find(uint32_t plane, uint32_t channel, uint32_t row, uint32_t column) const {
    if (plane >= planeZ.size() || channel >= channels.size() || row >= down || column >= across) return nullptr;
    const size_t i = ((size_t{channel} * planeZ.size() + plane) * down + row) * across + column;
    return &tiles[i];
  }
};

// Builds the level from its instances (all of one pyramid level and one focus kind).
// WSI_OK; WSI_E_MALFORMED when validating and the instances disagree in tile size or pixel format,
// or when the Total Pixel Matrix holds no tile.
long BuildLevel(const std::vector<std::shared_ptr<const InstanceInfo>>& instances, bool extended, int32_t level,
                bool validate, std::shared_ptr<const LevelData>& out);

}  // namespace dicominterop

// libFuzzer target: one slide file through the dataset parse, the per-frame positions, the
// level's tile map and the frame index (offset tables trusted lazily, fragment walk), reading
// a few frames into a bounded buffer.
#include <cstdlib>
#include <memory>
#include <vector>

#include "FuzzFile.h"
#include "dataset/DatasetReader.h"
#include "frames/InstanceFrames.h"
#include "pyramid/LevelData.h"

using namespace dicominterop;

// Without the sidecar index cache: inputs stay off the disk, and no input's walked index can
// stand in for another's.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::setenv("ZORVEL_INDEX_CACHE", "0", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const FuzzFile file(data, size);
  if (!file.Ok()) return 0;
  auto info = std::make_shared<InstanceInfo>();
  if (ReadInstance(file.Path(), *info) != DicomInteropDefines::WSI_OK) return 0;
  std::shared_ptr<const LevelData> level;
  BuildLevel({info}, false, 0, true, level);
  const InstanceFrames frames(info);
  std::vector<uint8_t> buffer(size);
  for (uint32_t frame = 0; frame < info->frameCount && frame < 16; ++frame) {
    uint64_t length = 0, got = 0;
    if (frames.FrameSize(frame, &length) == DicomInteropDefines::WSI_OK && length <= buffer.size()) {
      frames.ReadFrameInto(frame, buffer.data(), buffer.size(), &got);
    }
  }
  return 0;
}

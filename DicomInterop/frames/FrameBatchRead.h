// Reading many encoded frames into caller memory with as few system calls as the file layout
// allows: frames that follow one another in one file, apart from small gaps such as fragment
// item headers, are read by one positional scatter read, the gaps into a scratch block.
#pragma once

#include <cstdint>
#include <span>

#include "DicomInteropDefines.h"
#include "InstanceFrames.h"

namespace dicominterop {

struct FrameRead {
  const InstanceFrames* frames = nullptr;  // null: nothing to read, the entry is settled
  uint32_t frame = 0;
  uint8_t* destination = nullptr;
  uint64_t capacity = 0;
  uint64_t size = 0;                          // out: bytes written
  long result = DicomInteropDefines::WSI_OK;  // out: as InstanceFrames::ReadFrameInto
};

// Reads every entry with a frame; entries are joined in the order given. A joined read that
// fails is retried entry by entry, so each entry's result is its own.
void ReadFrames(std::span<FrameRead> reads);

}  // namespace dicominterop

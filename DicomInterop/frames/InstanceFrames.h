// Encoded frames of one instance: its open file and its frame index, built on first use
// (once, thread-safe) and read-only afterwards. ReadFrame is lock-free after the first call.
// Frame buffers are malloc'd and belong to the caller (released with CDicomInteropBase::Free).
#pragma once

#include <memory>
#include <mutex>

#include "FrameIndex.h"

namespace dicominterop {

class InstanceFrames {
 public:
  explicit InstanceFrames(std::shared_ptr<const InstanceInfo> info);

  const InstanceInfo& Info() const { return *m_info; }
  // WSI_OK, or the failure of building the index (the same failure on every call).
  long EnsureIndex() const;
  // Frame `frame` (0-based) of this instance into a new buffer.
  long ReadFrame(uint32_t frame, uint8_t** data, uint64_t* size) const;
  // Byte count of frame `frame`.
  long FrameSize(uint32_t frame, uint64_t* size) const;
  // Frame `frame` into the caller's `capacity` bytes at `destination` (fragments joined);
  // WSI_E_INVALIDARG when it does not fit. *size = bytes written.
  long ReadFrameInto(uint32_t frame, uint8_t* destination, uint64_t capacity, uint64_t* size) const;
  // Byte range of the pixel data (after EnsureIndex), for read-ahead.
  const FrameIndex& Index() const { return m_index; }
  const PixelFile& File() const { return m_file; }

 private:
  std::shared_ptr<const InstanceInfo> m_info;
  PixelFile m_file;
  mutable std::once_flag m_indexOnce;
  mutable long m_indexResult = 0;
  mutable FrameIndex m_index;  // written once under m_indexOnce, then read-only
};

}  // namespace dicominterop

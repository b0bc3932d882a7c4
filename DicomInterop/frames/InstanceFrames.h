// Encoded frames of one instance: its open file and its frame index, built on first use
// (once, thread-safe) and read-only afterwards. An index built from an offset table is trusted
// lazily: each frame's item header is checked when the frame is first sized or read (in the same
// positional read as the frame), and a header that does not match replaces the index, once, by
// a walk of the fragments. Reads are lock-free after the first call. Frame buffers are malloc'd
// and belong to the caller (released with CDicomInteropBase::Free).
#pragma once

#include <atomic>
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
  // Byte count of frame `frame` (its item header checked first when not yet checked).
  long FrameSize(uint32_t frame, uint64_t* size) const;
  // Frame `frame` into the caller's `capacity` bytes at `destination` (fragments joined);
  // WSI_E_INVALIDARG when it does not fit. *size = bytes written.
  long ReadFrameInto(uint32_t frame, uint8_t* destination, uint64_t capacity, uint64_t* size) const;
  // The index in use (after EnsureIndex): spans of checked frames, and the pixel data range.
  const FrameIndex& Index() const { return *m_active.load(std::memory_order_acquire); }
  const PixelFile& File() const { return m_file; }

 private:
  bool NeedsCheck(const FrameIndex& index, uint32_t frame) const {
    return !index.headersChecked && m_checked[frame].load(std::memory_order_relaxed) == 0;
  }
  long CheckFrame(uint32_t frame) const;
  long UseWalkedIndex() const;
  long ReadSpans(uint32_t frame, uint8_t* destination, uint64_t capacity, uint64_t* size) const;

  std::shared_ptr<const InstanceInfo> m_info;
  PixelFile m_file;
  mutable std::once_flag m_indexOnce, m_walkOnce;
  mutable long m_indexResult = 0, m_walkResult = 0;
  mutable FrameIndex m_firstIndex;   // written once under m_indexOnce, then read-only
  mutable FrameIndex m_walkedIndex;  // written once under m_walkOnce, then read-only
  mutable std::atomic<const FrameIndex*> m_active{&m_firstIndex};
  mutable std::unique_ptr<std::atomic<uint8_t>[]> m_checked;  // per frame of a table-built index
};

}  // namespace dicominterop

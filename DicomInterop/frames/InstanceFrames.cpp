// Encoded frames of one instance (see InstanceFrames.h): lazy index, lazily checked item
// headers, then positional reads.
#include "InstanceFrames.h"

#include <sys/uio.h>

#include <cstdlib>

namespace dicominterop {

using namespace DicomInteropDefines;

namespace {
constexpr uint64_t kItemHeader = 8;
}  // namespace

InstanceFrames::InstanceFrames(std::shared_ptr<const InstanceInfo> info)
    : m_info(std::move(info)), m_file(m_info->path) {}

long InstanceFrames::EnsureIndex() const {
  std::call_once(m_indexOnce, [this] {
    m_indexResult = BuildFrameIndex(m_file, *m_info, IndexMethod::kTrustTables, m_firstIndex);
    if (m_indexResult == WSI_OK && m_firstIndex.FrameCount() != m_info->frameCount) m_indexResult = WSI_E_MALFORMED;
    if (m_indexResult != WSI_OK) m_firstIndex = FrameIndex();
    if (m_indexResult == WSI_OK && !m_firstIndex.headersChecked) {
      m_checked = std::make_unique<std::atomic<uint8_t>[]>(m_info->frameCount);
    }
  });
  return m_indexResult;
}

long InstanceFrames::UseWalkedIndex() const {
  std::call_once(m_walkOnce, [this] {
    m_walkResult = BuildFrameIndex(m_file, *m_info, IndexMethod::kWalk, m_walkedIndex);
    if (m_walkResult == WSI_OK && m_walkedIndex.FrameCount() != m_info->frameCount) m_walkResult = WSI_E_MALFORMED;
    if (m_walkResult == WSI_OK) m_active.store(&m_walkedIndex, std::memory_order_release);
  });
  return m_walkResult;
}

long InstanceFrames::CheckFrame(uint32_t frame) const {
  const FrameIndex& index = Index();
  if (!NeedsCheck(index, frame)) return WSI_OK;
  const FrameSpan& span = index.spans[index.firstSpan[frame]];
  uint8_t header[kItemHeader];
  if (m_file.ReadAt(span.offset - kItemHeader, kItemHeader, header) == WSI_OK && ItemHeaderMatches(header, span.length)) {
    m_checked[frame].store(1, std::memory_order_relaxed);
    return WSI_OK;
  }
  return UseWalkedIndex();
}

long InstanceFrames::FrameSize(uint32_t frame, uint64_t* size) const {
  if (long rc = EnsureIndex(); rc != WSI_OK) return rc;
  if (frame >= m_info->frameCount) return WSI_E_INVALIDARG;
  if (long rc = CheckFrame(frame); rc != WSI_OK) return rc;
  *size = Index().FrameLength(frame);
  return *size == 0 ? WSI_E_MALFORMED : WSI_OK;
}

long InstanceFrames::ReadFrameInto(uint32_t frame, uint8_t* destination, uint64_t capacity, uint64_t* size) const {
  if (long rc = EnsureIndex(); rc != WSI_OK) return rc;
  if (frame >= m_info->frameCount) return WSI_E_INVALIDARG;
  const FrameIndex& index = Index();
  if (NeedsCheck(index, frame)) {
    // One read of the item header and the frame; the header decides whether the bytes count.
    const FrameSpan& span = index.spans[index.firstSpan[frame]];
    uint8_t header[kItemHeader];
    iovec pieces[2] = {{header, kItemHeader}, {destination, static_cast<size_t>(span.length)}};
    if (destination && span.length <= capacity &&
        m_file.ReadScatteredAt(span.offset - kItemHeader, pieces, 2) == WSI_OK &&
        ItemHeaderMatches(header, span.length)) {
      m_checked[frame].store(1, std::memory_order_relaxed);
      *size = span.length;
      return WSI_OK;
    }
    if (long rc = CheckFrame(frame); rc != WSI_OK) return rc;
  }
  return ReadSpans(frame, destination, capacity, size);
}

long InstanceFrames::ReadSpans(uint32_t frame, uint8_t* destination, uint64_t capacity, uint64_t* size) const {
  const FrameIndex& index = Index();
  const uint64_t length = index.FrameLength(frame);
  if (length == 0) return WSI_E_MALFORMED;
  if (length > capacity || !destination) return WSI_E_INVALIDARG;
  uint64_t written = 0;
  for (uint32_t s = index.firstSpan[frame]; s < index.firstSpan[frame + 1]; ++s) {
    const FrameSpan& span = index.spans[s];
    if (m_file.ReadAt(span.offset, span.length, destination + written) != WSI_OK) return WSI_E_IO;
    written += span.length;
  }
  *size = length;
  return WSI_OK;
}

long InstanceFrames::ReadFrame(uint32_t frame, uint8_t** data, uint64_t* size) const {
  uint64_t length = 0;
  if (long rc = FrameSize(frame, &length); rc != WSI_OK) return rc;
  auto* buffer = static_cast<uint8_t*>(std::malloc(length));
  if (!buffer) return WSI_E_OUTOFMEMORY;
  if (long rc = ReadFrameInto(frame, buffer, length, size); rc != WSI_OK) {
    std::free(buffer);
    return rc;
  }
  *data = buffer;
  return WSI_OK;
}

}  // namespace dicominterop

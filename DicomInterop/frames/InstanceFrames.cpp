// Encoded frames of one instance (see InstanceFrames.h): lazy index, then positional reads.
#include "InstanceFrames.h"

#include <cstdlib>

namespace dicominterop {

using namespace DicomInteropDefines;

InstanceFrames::InstanceFrames(std::shared_ptr<const InstanceInfo> info)
    : m_info(std::move(info)), m_file(m_info->path) {}

long InstanceFrames::EnsureIndex() const {
  std::call_once(m_indexOnce, [this] {
    m_indexResult = BuildFrameIndex(m_file, *m_info, m_index);
    if (m_indexResult == WSI_OK && m_index.FrameCount() != m_info->frameCount) m_indexResult = WSI_E_MALFORMED;
    if (m_indexResult != WSI_OK) m_index = FrameIndex();
  });
  return m_indexResult;
}

long InstanceFrames::FrameSize(uint32_t frame, uint64_t* size) const {
  if (long rc = EnsureIndex(); rc != WSI_OK) return rc;
  if (frame >= m_index.FrameCount()) return WSI_E_INVALIDARG;
  *size = m_index.FrameLength(frame);
  return *size == 0 ? WSI_E_MALFORMED : WSI_OK;
}

long InstanceFrames::ReadFrameInto(uint32_t frame, uint8_t* destination, uint64_t capacity, uint64_t* size) const {
  uint64_t length = 0;
  if (long rc = FrameSize(frame, &length); rc != WSI_OK) return rc;
  if (length > capacity || !destination) return WSI_E_INVALIDARG;
  uint64_t written = 0;
  for (uint32_t s = m_index.firstSpan[frame]; s < m_index.firstSpan[frame + 1]; ++s) {
    const FrameSpan& span = m_index.spans[s];
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

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

long InstanceFrames::ReadFrame(uint32_t frame, uint8_t** data, uint64_t* size) const {
  if (long rc = EnsureIndex(); rc != WSI_OK) return rc;
  if (frame >= m_index.FrameCount()) return WSI_E_INVALIDARG;
  const uint64_t length = m_index.FrameLength(frame);
  if (length == 0) return WSI_E_MALFORMED;
  auto* buffer = static_cast<uint8_t*>(std::malloc(length));
  if (!buffer) return WSI_E_OUTOFMEMORY;
  uint64_t written = 0;
  for (uint32_t s = m_index.firstSpan[frame]; s < m_index.firstSpan[frame + 1]; ++s) {
    const FrameSpan& span = m_index.spans[s];
    if (m_file.ReadAt(span.offset, span.length, buffer + written) != WSI_OK) {
      std::free(buffer);
      return WSI_E_IO;
    }
    written += span.length;
  }
  *data = buffer;
  *size = length;
  return WSI_OK;
}

}  // namespace dicominterop

// TurboJPEG decompression into caller memory, with the one translator of its errors.
#include "JpegTurboDecoder.h"

#include <turbojpeg.h>

#include <cstring>
#include <limits>

namespace Components {
namespace {

// One decompressor per thread, created on first use and destroyed when the thread ends.
class ThreadDecompressor {
 public:
  ThreadDecompressor() : m_handle(tjInitDecompress()) {}
  ~ThreadDecompressor() {
    if (m_handle != nullptr) tjDestroy(m_handle);
  }
  ThreadDecompressor(const ThreadDecompressor&) = delete;
  ThreadDecompressor& operator=(const ThreadDecompressor&) = delete;
  tjhandle Get() const { return m_handle; }

 private:
  tjhandle m_handle;
};

tjhandle ThisThreadsDecompressor() {
  thread_local ThreadDecompressor decompressor;
  return decompressor.Get();
}

// TurboJPEG failures -> HRESULT. Warnings count as failures: a truncated or damaged stream is
// reported by libjpeg as a warning while it fills the rest of the image with grey.
HRESULT TranslateTurboJpegError(tjhandle handle) {
  const char* message = tjGetErrorStr2(handle);
  if (message != nullptr && std::strstr(message, "memory") != nullptr) return E_OUTOFMEMORY;
  return kInvalidData;
}

}  // namespace

HRESULT DecodeWithTurboJpeg(const std::uint8_t* data, std::size_t size, const Destination& dest) {
  tjhandle handle = ThisThreadsDecompressor();
  if (handle == nullptr) return E_OUTOFMEMORY;
  if (size > std::numeric_limits<unsigned long>::max() || dest.stride > std::numeric_limits<int>::max()) {
    return E_INVALIDARG;
  }
  const int format = dest.samples == 3 ? TJPF_BGR : TJPF_GRAY;
  const int result = tjDecompress2(handle, data, static_cast<unsigned long>(size), dest.bytes,
                                   static_cast<int>(dest.width), static_cast<int>(dest.stride),
                                   static_cast<int>(dest.height), format, TJFLAG_STOPONWARNING);
  return result == 0 ? S_OK : TranslateTurboJpegError(handle);
}

}  // namespace Components

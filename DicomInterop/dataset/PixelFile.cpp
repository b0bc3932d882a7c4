// Positional reads on a shared descriptor (see PixelFile.h).
// Interrupted reads are resumed; a short read past the end of the file is an I/O failure.
#include "PixelFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>

#include "DicomInteropDefines.h"

namespace dicominterop {

PixelFile::PixelFile(const std::string& path) {
  m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (m_fd >= 0 && ::fstat(m_fd, &st) == 0) {
    m_size = static_cast<uint64_t>(st.st_size);
    m_modifiedNs = int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
  }
}

PixelFile::~PixelFile() {
  if (m_fd >= 0) ::close(m_fd);
}

long PixelFile::ReadAt(uint64_t offset, size_t length, void* destination) const {
  if (m_fd < 0 || offset > m_size || length > m_size - offset) return DicomInteropDefines::WSI_E_IO;
  auto* out = static_cast<char*>(destination);
  while (length > 0) {
    const ssize_t got = ::pread(m_fd, out, length, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return DicomInteropDefines::WSI_E_IO;
    out += got;
    offset += static_cast<uint64_t>(got);
    length -= static_cast<size_t>(got);
  }
  return DicomInteropDefines::WSI_OK;
}

long PixelFile::ReadScatteredAt(uint64_t offset, iovec* pieces, int count) const {
  uint64_t length = 0;
  for (int i = 0; i < count; ++i) length += pieces[i].iov_len;
  if (m_fd < 0 || offset > m_size || length > m_size - offset) return DicomInteropDefines::WSI_E_IO;
  if (length == 0) return DicomInteropDefines::WSI_OK;
  while (count > 0) {
    const ssize_t got = ::preadv(m_fd, pieces, count, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return DicomInteropDefines::WSI_E_IO;
    offset += static_cast<uint64_t>(got);
    auto left = static_cast<size_t>(got);
    while (count > 0 && left >= pieces->iov_len) {
      left -= pieces->iov_len;
      ++pieces;
      --count;
    }
    if (count > 0) {
      pieces->iov_base = static_cast<char*>(pieces->iov_base) + left;
      pieces->iov_len -= left;
    }
  }
  return DicomInteropDefines::WSI_OK;
}

void PixelFile::Prefetch(uint64_t offset, uint64_t length) const {
  if (m_fd >= 0) ::posix_fadvise(m_fd, static_cast<off_t>(offset), static_cast<off_t>(length), POSIX_FADV_WILLNEED);
}

}  // namespace dicominterop

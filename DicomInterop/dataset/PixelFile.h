// One open file of a slide, read with positional reads (pread) only: many threads may read
// through the same descriptor at once without a lock. Move-only; closes on destruction.
// ReadAt returns WSI_OK, or WSI_E_IO for an unopened file, a read error or end of file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct iovec;

namespace dicominterop {

class PixelFile {
 public:
  explicit PixelFile(const std::string& path);
  ~PixelFile();
  PixelFile(const PixelFile&) = delete;
  PixelFile& operator=(const PixelFile&) = delete;

  bool IsOpen() const { return m_fd >= 0; }
  uint64_t Size() const { return m_size; }
  // Modification time of the opened file, nanoseconds since the epoch (0 when unopened).
  int64_t ModifiedNs() const { return m_modifiedNs; }
  long ReadAt(uint64_t offset, size_t length, void* destination) const;
  // One positional read of consecutive bytes from `offset` scattered over `count` pieces
  // (at most IOV_MAX); the pieces are consumed as they are filled.
  long ReadScatteredAt(uint64_t offset, iovec* pieces, int count) const;
  // Asks the kernel to read the range ahead (no-op on failure).
  void Prefetch(uint64_t offset, uint64_t length) const;

 private:
  int m_fd = -1;
  uint64_t m_size = 0;
  int64_t m_modifiedNs = 0;
};

}  // namespace dicominterop

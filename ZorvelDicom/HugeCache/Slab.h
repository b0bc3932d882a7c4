// A slab: one block of reserved address space that holds the fixed-size tile slots of a partition.
// Pages are only reserved when the slab is made; they become resident as tiles are written into
// them, so a 1 GB slab costs no memory until it is used. Not copyable; shared by reference.
#pragma once

#include <cstddef>
#include <memory>

namespace HugeCache {

// No slab is larger than this many bytes.
inline constexpr unsigned long long kMaxSlabBytes = 1'000'000'000ULL;

// The largest multiple of tileBytes that is not above kMaxSlabBytes.
unsigned long long CapToSlabLimit(unsigned long long bytes, unsigned long long tileBytes);

class Slab {
 public:
  // Reserves bytes of address space (at least one page); throws std::bad_alloc when it cannot.
  explicit Slab(std::size_t bytes);
  ~Slab();
  Slab(const Slab&) = delete;
  Slab& operator=(const Slab&) = delete;

  unsigned char* Data() const { return m_data; }
  std::size_t Size() const { return m_size; }
  bool Contains(const unsigned char* address) const {
    return address >= m_data && address < m_data + m_size;
  }

 private:
  unsigned char* m_data = nullptr;
  std::size_t m_size = 0;  // bytes asked for
  std::size_t m_mapped = 0;  // bytes reserved (whole pages)
};

using SlabPtr = std::shared_ptr<Slab>;

}  // namespace HugeCache

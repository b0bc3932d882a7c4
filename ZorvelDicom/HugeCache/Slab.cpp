// Reserved slab memory: an anonymous private mapping without swap reservation, never written here,
// so that only the pages tiles are written into become resident.
#include "HugeCache/Slab.h"

#include <sys/mman.h>
#include <unistd.h>

#include <new>

namespace HugeCache {

unsigned long long CapToSlabLimit(unsigned long long bytes, unsigned long long tileBytes) {
  if (tileBytes == 0) return bytes;
  const unsigned long long limit = kMaxSlabBytes / tileBytes * tileBytes;
  return bytes > limit ? limit : bytes;
}

Slab::Slab(std::size_t bytes) : m_size(bytes) {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  m_mapped = bytes == 0 ? page : (bytes + page - 1) / page * page;
  void* block = mmap(nullptr, m_mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (block == MAP_FAILED) throw std::bad_alloc();
  m_data = static_cast<unsigned char*>(block);
}

Slab::~Slab() { munmap(m_data, m_mapped); }

}  // namespace HugeCache

// The capability record: platform family and generation from the version query, processor
// features from CPUID, and the performance-counter frequency. This platform has no registry,
// so the version refinement by registry values is not made; the version query is authoritative.
#include "base/SeSystemProperties.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

CSystemCheckResult::CSystemCheckResult() {
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) {
    m_isNT = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    m_osGeneration = version.dwMajorVersion * 100 + version.dwMinorVersion;
  }
#if defined(__x86_64__) || defined(__i386__)
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
    m_hasSSE2 = (edx & bit_SSE2) != 0;
    m_hasSSE41 = (ecx & bit_SSE4_1) != 0;
  }
  if (__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) m_hasAVX2 = (ebx & bit_AVX2) != 0;
#endif
  LARGE_INTEGER frequency{};
  if (QueryPerformanceFrequency(&frequency)) {
    m_frequency = frequency.QuadPart;
    m_ticksPerMicrosecond = static_cast<double>(frequency.QuadPart) / 1e6;
  }
}

const CSystemCheckResult& SeGetSystemCheckResult() {
  static const CSystemCheckResult record;
  return record;
}

namespace {
// Recorded at module load, read-only afterwards.
[[maybe_unused]] const CSystemCheckResult& kRecordedAtLoad = SeGetSystemCheckResult();
}  // namespace

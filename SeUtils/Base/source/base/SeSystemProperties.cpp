// The capability record: the platform family from the version query.
#include "base/SeSystemProperties.h"

CSystemCheckResult::CSystemCheckResult() {
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) m_isNT = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

const CSystemCheckResult& SeGetSystemCheckResult() {
  static const CSystemCheckResult record;
  return record;
}

namespace {
// Recorded at module load, read-only afterwards.
[[maybe_unused]] const CSystemCheckResult& kRecordedAtLoad = SeGetSystemCheckResult();
}  // namespace

// The machine's capabilities, recorded once when the module is loaded: platform family and
// generation, processor features (CPUID) and the performance-counter frequency.
// Read-only after construction; safe to read from any thread.
#pragma once

#include "windows.h"

class CSystemCheckResult {
 public:
  CSystemCheckResult();

  bool IsNTPlatform() const { return m_isNT; }
  DWORD GetOSGeneration() const { return m_osGeneration; }  // major * 100 + minor, e.g. 1000
  bool HasSSE2() const { return m_hasSSE2; }
  bool HasSSE41() const { return m_hasSSE41; }
  bool HasAVX2() const { return m_hasAVX2; }
  LONGLONG GetPerformanceFrequency() const { return m_frequency; }
  double GetTicksPerMicrosecond() const { return m_ticksPerMicrosecond; }

 private:
  bool m_isNT = false;
  DWORD m_osGeneration = 0;
  bool m_hasSSE2 = false;
  bool m_hasSSE41 = false;
  bool m_hasAVX2 = false;
  LONGLONG m_frequency = 0;
  double m_ticksPerMicrosecond = 0.0;
};

// The module's record, created on first use (the module's static initialisation makes that
// its load time).
const CSystemCheckResult& SeGetSystemCheckResult();

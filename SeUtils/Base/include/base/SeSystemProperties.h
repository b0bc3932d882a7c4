// The machine's capabilities, recorded once when the module is loaded: the platform family,
// which decides whether files can be read overlapped. Read-only after construction; safe to
// read from any thread.
#pragma once

#include "windows.h"

class CSystemCheckResult {
 public:
  CSystemCheckResult();

  bool IsNTPlatform() const { return m_isNT; }

 private:
  bool m_isNT = false;
};

// The module's record, created on first use (the module's static initialisation makes that
// its load time).
const CSystemCheckResult& SeGetSystemCheckResult();

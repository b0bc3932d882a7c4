// Counts of open lossy and lossless slides. A count never goes below 0.
// Created on first use; lives until process exit.
#include "OpenSlideCounters.h"

OpenSlideCounters& OpenSlideCounters::Instance() {
  static OpenSlideCounters counters;
  return counters;
}

bool OpenSlideCounters::IsLosslessTransferSyntax(long transferSyntax) {
  switch (transferSyntax) {
    case 0: case 1: case 2: case 5: case 6: case 7: case 10: case 12:
      return true;
    default:
      return false;
  }
}

void OpenSlideCounters::Add(bool lossless) {
  std::lock_guard lock(m_mutex);
  ++(lossless ? m_lossless : m_lossy);
}

bool OpenSlideCounters::Remove(bool lossless) {
  std::lock_guard lock(m_mutex);
  long& count = lossless ? m_lossless : m_lossy;
  if (count == 0) return false;
  --count;
  return !lossless && m_lossy == 0 && m_lossless > 0;
}

long OpenSlideCounters::Lossy() {
  std::lock_guard lock(m_mutex);
  return m_lossy;
}

long OpenSlideCounters::Lossless() {
  std::lock_guard lock(m_mutex);
  return m_lossless;
}

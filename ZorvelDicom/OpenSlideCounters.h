// Process-wide counts of the open slides stored lossy and lossless; the cache budgets are sized
// from them. Thread-safe: one mutex for both counts.
#pragma once

#include <mutex>

class OpenSlideCounters {
 public:
  static OpenSlideCounters& Instance();

  static bool IsLosslessTransferSyntax(long transferSyntax);

  void Add(bool lossless);
  // Takes one slide away; true when the lossy count dropped from 1 to 0 while lossless slides
  // are still open (the cache budgets are then recomputed).
  bool Remove(bool lossless);
  long Lossy();
  long Lossless();

 private:
  std::mutex m_mutex;
  long m_lossy = 0;
  long m_lossless = 0;
};

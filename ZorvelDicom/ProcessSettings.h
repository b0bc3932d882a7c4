// Process-wide tuning values set through the configuration property: cache sizing, the
// concurrency of region rendering, the tile loader's read limit, read-ahead and pre-reading.
// Thread-safe: the values written under the settings mutex are read under it too.
#pragma once

#include <atomic>
#include <mutex>

#include <windef.h>

// The six values the cache budgets are computed from, in the order they are passed on.
struct CacheSettings {
  ULONGLONG divisor = 60;
  ULONGLONG decodedMultiplier = 10;
  ULONGLONG encodedMultiplier = 10;
  ULONGLONG share = 10;
  ULONGLONG threshold = 10;
  ULONGLONG cap = 0;
};

class ProcessSettings {
 public:
  static ProcessSettings& Instance();

  CacheSettings Cache();
  void SetDecodedMultiplier(ULONGLONG value);
  void SetEncodedMultiplier(ULONGLONG value);
  void SetDivisor(ULONGLONG value);
  void SetThreshold(ULONGLONG value);
  void SetShare(ULONGLONG value);
  void SetCap(ULONGLONG value);
  // A maximum concurrency of 1 also sets the read limit to 1.
  void SetMaxConcurrency(ULONGLONG value);
  ULONGLONG MaxConcurrency();
  void SetReadLimit(ULONGLONG value);
  ULONGLONG ReadLimit();
  void SetChunkReadAhead(bool on);
  void SetTileReadAhead(bool on);
  bool ChunkReadAhead();
  bool TileReadAhead();

  std::atomic<bool> preReading{false};  // reset by every new slide-access object

 private:
  struct Optional {
    ULONGLONG value = 0;
    bool set = false;
    ULONGLONG Or(ULONGLONG fallback) const { return set ? value : fallback; }
  };
  std::mutex m_mutex;
  ULONGLONG m_divisor = 0;  // 0 is taken as 60
  Optional m_decodedMultiplier;
  Optional m_encodedMultiplier;
  Optional m_threshold;
  Optional m_share;
  ULONGLONG m_cap = 0;
  ULONGLONG m_maxConcurrency = 0;
  ULONGLONG m_readLimit = 1;
  bool m_chunkReadAhead = true;
  bool m_tileReadAhead = true;
};

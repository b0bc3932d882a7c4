// Cache budget arithmetic (unsigned 64-bit; the cap's factor in double precision) and the
// process-wide settings the memory monitor recomputes them with.
#include "HugeCache/CacheBudgets.h"

#include <atomic>
#include <mutex>

#include <windows.h>

#include "HugeCache/DecodedTileCache.h"
#include "HugeCache/EncodedTileCache.h"
#include "HugeCache/MemoryMonitor.h"
#include "OpenSlideCounters.h"

namespace HugeCache {

namespace {

struct StoredSettings {
  std::mutex mutex;
  CacheSettings settings;
  std::atomic<ULONGLONG> lastAvailable{0};
};

StoredSettings& Stored() {
  static StoredSettings* stored = new StoredSettings();  // the monitor reads it until process exit
  return *stored;
}

bool LossySlideOpen() { return OpenSlideCounters::Instance().Lossy() != 0; }

}  // namespace

CacheBudgets SplitCacheBudgets(ULONGLONG available, const CacheSettings& settings, bool losslessShift) {
  const ULONGLONG divisor = settings.divisor == 0 ? 60 : settings.divisor;
  CacheBudgets budgets{available / divisor * settings.decodedMultiplier,
                       available / divisor * settings.encodedMultiplier};
  if (losslessShift) {
    const ULONGLONG share = settings.share > 100 ? 100 : settings.share;
    budgets.decoded += budgets.encoded / 100 * (100 - share);
    budgets.encoded = budgets.encoded / 100 * share;
  }
  const ULONGLONG sum = budgets.decoded + budgets.encoded;
  if (settings.cap != 0 && sum > settings.cap) {
    const double factor = static_cast<double>(settings.cap) / static_cast<double>(sum);
    budgets.decoded = static_cast<ULONGLONG>(static_cast<double>(budgets.decoded) * factor);
    budgets.encoded = static_cast<ULONGLONG>(static_cast<double>(budgets.encoded) * factor);
  }
  return budgets;
}

bool MemoryChangeExceeds(ULONGLONG last, ULONGLONG now, ULONGLONG thresholdPercent) {
  if (last == 0 || now == 0) return false;
  const double difference = last > now ? static_cast<double>(last - now) : static_cast<double>(now - last);
  const auto change = static_cast<ULONGLONG>(difference / static_cast<double>(now) * 100.0);
  return change >= thresholdPercent;
}

ULONGLONG GetAvailableCacheMemory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  const ULONGLONG free = GlobalMemoryStatusEx(&status) ? status.ullAvailPhys : 0;
  return free + ScatteredCache<DecodedTile>::TotalBytes() + DecodedTileCache::SlabBytes() +
         ScatteredCache<EncodedTile>::TotalBytes();
}

void ComputeCacheBudgets(ULONGLONG& decodedBudget, ULONGLONG& encodedBudget, bool lossy, ULONGLONG divisor,
                         ULONGLONG decodedMultiplier, ULONGLONG encodedMultiplier, ULONGLONG share,
                         ULONGLONG threshold, ULONGLONG cap) {
  const CacheSettings settings{divisor, decodedMultiplier, encodedMultiplier, share, threshold, cap};
  {
    std::lock_guard lock(Stored().mutex);
    Stored().settings = settings;
  }
  MemoryMonitor::Start();
  ULONGLONG available = GetAvailableCacheMemory();
  if (available == 0) available = GetAvailableCacheMemory();
  const CacheBudgets budgets = SplitCacheBudgets(available, settings, !lossy && !LossySlideOpen());
  decodedBudget = budgets.decoded;
  encodedBudget = budgets.encoded;
}

CacheSettings StoredCacheSettings() {
  std::lock_guard lock(Stored().mutex);
  return Stored().settings;
}

ULONGLONG CurrentDecodedBudget() {
  return SplitCacheBudgets(GetAvailableCacheMemory(), StoredCacheSettings(), !LossySlideOpen()).decoded;
}

void RecomputeCacheBudgets() {
  const CacheSettings s = StoredCacheSettings();
  ULONGLONG decoded = 0, encoded = 0;
  ComputeCacheBudgets(decoded, encoded, false, s.divisor, s.decodedMultiplier, s.encodedMultiplier, s.share,
                      s.threshold, s.cap);
  ScatteredCache<EncodedTile>::SetBudget(encoded);
  const LONGLONG clients = DecodedTileCache::ClientCount();
  if (clients > 0) DecodedTileCache::Rebalance(decoded / static_cast<ULONGLONG>(clients));
}

void SetLastAvailableMemory(ULONGLONG available) { Stored().lastAvailable = available; }

ULONGLONG LastAvailableMemory() { return Stored().lastAvailable; }

}  // namespace HugeCache

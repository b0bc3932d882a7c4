// Byte budgets of the encoded and decoded tile caches, computed from the free physical memory
// (memory the caches hold counts as free) and the six process-wide cache settings.
// Thread-safe. The first ComputeCacheBudgets starts the memory monitor.
#pragma once

#include <windef.h>

#include "ProcessSettings.h"

namespace HugeCache {

struct CacheBudgets {
  ULONGLONG decoded = 0;
  ULONGLONG encoded = 0;
};

// The budgets for available bytes. losslessShift moves all but share percent of the encoded
// budget to the decoded one (only lossless slides open); a cap scales both to fit under it.
CacheBudgets SplitCacheBudgets(ULONGLONG available, const CacheSettings& settings, bool losslessShift);
// True when now differs from last by thresholdPercent of now or more.
bool MemoryChangeExceeds(ULONGLONG last, ULONGLONG now, ULONGLONG thresholdPercent);

// Free physical memory plus the bytes of the overflow tier, the slabs and the encoded cache.
// Takes the overflow and the encoded mutex one after the other: call with no cache mutex held.
ULONGLONG GetAvailableCacheMemory();
// Stores the settings for the monitor, starts it the first time, and computes the budgets; the
// lossless shift applies when lossy is false and no lossy slide is open.
void ComputeCacheBudgets(ULONGLONG& decodedBudget, ULONGLONG& encodedBudget, bool lossy, ULONGLONG divisor,
                         ULONGLONG decodedMultiplier, ULONGLONG encodedMultiplier, ULONGLONG share,
                         ULONGLONG threshold, ULONGLONG cap);
// Budgets again from the stored settings: the encoded budget is set, and the decoded one shared
// out among the decoded clients. Call with no cache mutex held.
void RecomputeCacheBudgets();
// The whole decoded budget for the stored settings and the slides open now (monitor not started).
ULONGLONG CurrentDecodedBudget();
CacheSettings StoredCacheSettings();
// The monitor compares free memory against this value.
void SetLastAvailableMemory(ULONGLONG available);
ULONGLONG LastAvailableMemory();

}  // namespace HugeCache

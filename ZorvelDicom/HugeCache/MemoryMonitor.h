// The memory monitor: every 3 seconds it reads the free memory again, recomputes the cache
// budgets when it changed by the threshold percent or more, and wakes the reallocation agent.
// Started once by the first budget computation; stopped (without waiting out its period) when the
// module's static objects are destroyed, so it neither delays exit nor outlives the module.
#pragma once

namespace HugeCache {

class MemoryMonitor {
 public:
  static void Start();
  // One period's work, on the calling thread.
  static void Check();
};

}  // namespace HugeCache

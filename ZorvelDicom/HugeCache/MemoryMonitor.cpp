// The memory monitor's agent and its owner, a static object whose destruction ends it.
#include "HugeCache/MemoryMonitor.h"

#include <atomic>
#include <memory>

#include <agents.h>

#include "HugeCache/CacheBudgets.h"
#include "HugeCache/DecodedTileCache.h"

namespace HugeCache {

namespace {

constexpr unsigned int kPeriodMs = 3000;

class MonitorAgent final : public Concurrency::agent {
 public:
  ~MonitorAgent() override { Stop(); }
  void Stop() {
    m_stop = true;
    m_stopEvent.set();
    Concurrency::agent::wait(this);
  }

 protected:
  void run() override {
    while (m_stopEvent.wait(kPeriodMs) != 0 && !m_stop) MemoryMonitor::Check();
    done();
  }

 private:
  Concurrency::event m_stopEvent;
  std::atomic<bool> m_stop{false};
};

}  // namespace

void MemoryMonitor::Start() {
  static const std::unique_ptr<MonitorAgent> monitor = [] {
    auto agent = std::make_unique<MonitorAgent>();
    agent->start();
    return agent;
  }();
}

void MemoryMonitor::Check() {
  const ULONGLONG available = GetAvailableCacheMemory();
  const ULONGLONG last = LastAvailableMemory();
  if (MemoryChangeExceeds(last, available, StoredCacheSettings().threshold)) {
    RecomputeCacheBudgets();
    SetLastAvailableMemory(available);
  }
  DecodedTileCache::WakeReallocationAgent();
}

}  // namespace HugeCache

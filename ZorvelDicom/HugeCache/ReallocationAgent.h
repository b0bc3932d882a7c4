// The reallocation agent of the decoded-tile cache: moves one partition whose target bytes differ
// from its current bytes into a new slab per wake-up. Woken by the memory monitor every period
// and by WakeReallocationAgent; stopped by the destruction that removes the last partition.
#pragma once

#include <atomic>

#include <agents.h>

namespace HugeCache {

class ReallocationAgent final : public Concurrency::agent {
 public:
  // A new agent, started.
  static ReallocationAgent* Launch();
  // Makes the agent end, waits for it and deletes it. No cache mutex may be held.
  static void Stop(ReallocationAgent* agent);
  void Wake() { m_event.set(); }

 protected:
  void run() override;

 private:
  ReallocationAgent() = default;

  Concurrency::event m_event;
  std::atomic<bool> m_stop{false};
};

}  // namespace HugeCache

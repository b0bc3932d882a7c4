// The reallocation agent's loop: a pass, then sleep until woken.
#include "HugeCache/ReallocationAgent.h"

#include "HugeCache/DecodedTileCache.h"

namespace HugeCache {

ReallocationAgent* ReallocationAgent::Launch() {
  auto* agent = new ReallocationAgent();
  agent->start();
  return agent;
}

void ReallocationAgent::Stop(ReallocationAgent* agent) {
  agent->m_stop = true;
  agent->m_event.set();
  Concurrency::agent::wait(agent);
  delete agent;
}

void ReallocationAgent::run() {
  for (;;) {
    m_event.reset();  // a wake-up during the pass below is kept for the next one
    if (m_stop) break;
    DecodedTileCache::ReallocateNextPartition();
    m_event.wait();
  }
  done();
}

}  // namespace HugeCache

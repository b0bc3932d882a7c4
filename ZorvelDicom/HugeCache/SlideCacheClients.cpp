// Cache-client pairs of opened slides, retired by their last holder and destroyed later (see
// SlideCacheClients.h).
#include "HugeCache/SlideCacheClients.h"

#include <mutex>
#include <vector>

namespace HugeCache {

namespace {

struct Retired {
  std::mutex mutex;
  std::vector<std::unique_ptr<SlideCacheClients>> pairs;
};

Retired& RetiredPairs() {
  static Retired* retired = new Retired();  // never destroyed: holders may let go during exit
  return *retired;
}

}  // namespace

std::shared_ptr<SlideCacheClients> SlideCacheClients::Make() {
  return std::shared_ptr<SlideCacheClients>(new SlideCacheClients(), [](SlideCacheClients* pair) {
    try {
      Retired& retired = RetiredPairs();
      std::lock_guard lock(retired.mutex);
      retired.pairs.emplace_back(pair);
    } catch (...) {
      delete pair;  // no memory to retire it: it leaves the caches here
    }
  });
}

void SlideCacheClients::DestroyRetired() {
  std::vector<std::unique_ptr<SlideCacheClients>> pairs;
  {
    Retired& retired = RetiredPairs();
    std::lock_guard lock(retired.mutex);
    pairs.swap(retired.pairs);
  }
}

}  // namespace HugeCache

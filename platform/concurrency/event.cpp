// The runtime's manual-reset event: one flag under a mutex with a condition variable, so that
// set() releases every waiter at once and the flag stays up until reset().
#include <chrono>

#include "concrt.h"

namespace Concurrency {

event::event() = default;
event::~event() = default;

std::size_t event::wait(unsigned int timeoutMs) {
  std::unique_lock lock(mutex_);
  if (timeoutMs == COOPERATIVE_TIMEOUT_INFINITE) {
    signalled_.wait(lock, [this] { return isSet_; });
    return 0;
  }
  return signalled_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return isSet_; }) ? 0
                                                                                                   : COOPERATIVE_WAIT_TIMEOUT;
}

void event::set() {
  {
    std::lock_guard lock(mutex_);
    isSet_ = true;
  }
  signalled_.notify_all();
}

void event::reset() {
  std::lock_guard lock(mutex_);
  isSet_ = false;
}

}  // namespace Concurrency

// The manual-reset event: set releases every waiter, stays set until reset, and a bounded wait
// reports the time-out.
#include <gtest/gtest.h>

#include <vector>

#include "concrt.h"
#include "concurrency_probe.h"

using namespace Concurrency;

namespace {

TEST(Event, SetWakesEveryWaiter) {
  constexpr int kWaiters = 6;
  event signal;
  concurrency_test::Countdown ready(kWaiters);
  std::atomic<int> woken{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < kWaiters; ++i) {
    waiters.emplace_back([&] {
      ready.arrive();
      if (signal.wait() == 0) ++woken;
    });
  }
  ASSERT_TRUE(ready.wait());
  signal.set();
  for (auto& waiter : waiters) waiter.join();
  EXPECT_EQ(woken.load(), kWaiters);
}

TEST(Event, StaysSetUntilReset) {
  event signal;
  EXPECT_EQ(signal.wait(0), COOPERATIVE_WAIT_TIMEOUT);
  signal.set();
  EXPECT_EQ(signal.wait(), 0u);
  EXPECT_EQ(signal.wait(0), 0u) << "manual reset: a second wait passes too";
  signal.reset();
  EXPECT_EQ(signal.wait(5), COOPERATIVE_WAIT_TIMEOUT);
}

}  // namespace

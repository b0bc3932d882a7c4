// Schedulers: policy keys and their checks, the per-thread stack of CurrentScheduler, and the
// concurrency limit over loops and block handlers (peak of bodies running at once), with no
// starvation when the limit is one and the creating thread waits.
#include <gtest/gtest.h>

#include <vector>

#include "agents.h"
#include "concurrency_probe.h"
#include "ppl.h"

using namespace Concurrency;
using namespace concurrency_test;

namespace {

SchedulerPolicy LimitOf(unsigned int max) { return SchedulerPolicy(2, MinConcurrency, 1, MaxConcurrency, max); }

TEST(SchedulerPolicy, RejectsBadKeysAndLimits) {
  EXPECT_THROW(SchedulerPolicy(1, static_cast<PolicyElementKey>(MaxPolicyElementKey), 1), invalid_scheduler_policy_key);
  EXPECT_THROW(SchedulerPolicy(1, MaxConcurrency, 0), invalid_scheduler_policy_value);
  EXPECT_THROW(SchedulerPolicy(2, MinConcurrency, 4, MaxConcurrency, 2), invalid_scheduler_policy_thread_specification);
  SchedulerPolicy policy = LimitOf(2);
  EXPECT_THROW(policy.SetConcurrencyLimits(5, 3), invalid_scheduler_policy_thread_specification);
  EXPECT_EQ(policy.GetPolicyValue(MaxConcurrency), 2u) << "a rejected change leaves the policy as it was";
  EXPECT_EQ(policy.SetPolicyValue(MaxConcurrency, 6), 2u);
}

TEST(CurrentScheduler, CreateAndDetachActAsAStackPerThread) {
  Scheduler* const fallback = CurrentScheduler::Get();
  CurrentScheduler::Create(LimitOf(2));
  Scheduler* const outer = CurrentScheduler::Get();
  EXPECT_NE(outer, fallback);
  EXPECT_EQ(CurrentScheduler::GetNumberOfVirtualProcessors(), 2u);
  CurrentScheduler::Create(LimitOf(1));
  EXPECT_EQ(CurrentScheduler::GetPolicy().GetPolicyValue(MaxConcurrency), 1u);
  std::thread other([&] { EXPECT_EQ(CurrentScheduler::Get(), fallback) << "another thread keeps its own stack"; });
  other.join();
  CurrentScheduler::Detach();
  EXPECT_EQ(CurrentScheduler::Get(), outer);
  CurrentScheduler::Detach();
  EXPECT_EQ(CurrentScheduler::Get(), fallback);
  EXPECT_THROW(CurrentScheduler::Detach(), scheduler_not_attached);
}

TEST(CurrentScheduler, AThreadCanAttachToAnotherThreadsSchedulerWhileItServesIt) {
  CurrentScheduler::Create(LimitOf(1));
  Scheduler* const shared = CurrentScheduler::Get();
  PeakCounter bodies;
  std::thread server([&] {
    shared->Attach();
    EXPECT_EQ(CurrentScheduler::Get(), shared);
    parallel_for(0, 64, [&](int) { Occupy occupy(bodies); });
    CurrentScheduler::Detach();
    EXPECT_NE(CurrentScheduler::Get(), shared);
  });
  server.join();
  CurrentScheduler::Detach();
  EXPECT_EQ(bodies.peak(), 1);
}

// The limit holds for loops started by the thread and for the handlers of the blocks it made,
// together, including loops nested in handlers.
TEST(SchedulerLimit, OneThreadRunsLoopsAndHandlersOneBodyAtATime) {
  PeakCounter bodies;
  Countdown handled(24);
  CurrentScheduler::Create(LimitOf(1));
  {
    call<int> stage([&](const int&) {
      parallel_for(0, 8, [&](int) { Occupy occupy(bodies); });
      handled.arrive();
    });
    for (int i = 0; i < 24; ++i) asend(stage, i);
    parallel_for(0, 200, [&](int) { Occupy occupy(bodies); });
    ASSERT_TRUE(handled.wait());
  }
  CurrentScheduler::Detach();
  EXPECT_EQ(bodies.peak(), 1);
}

TEST(SchedulerLimit, LoopsStayWithinLimitsAboveOne) {
  for (unsigned int limit : {2u, 3u}) {
    PeakCounter bodies;
    CurrentScheduler::Create(LimitOf(limit));
    parallel_for(0, 400, [&](int) { Occupy occupy(bodies); });
    CurrentScheduler::Detach();
    EXPECT_LE(bodies.peak(), static_cast<int>(limit)) << "limit " << limit;
  }
}

// N transformers made under a scheduler of N threads really run N handlers at once: each
// handler waits until all N are inside.
TEST(SchedulerLimit, NBlocksRunNHandlersAtOnce) {
  constexpr int kBlocks = 4;
  Rendezvous all(kBlocks);
  std::atomic<int> met{0};
  CurrentScheduler::Create(LimitOf(kBlocks));
  {
    unbounded_buffer<int> results;
    std::vector<std::unique_ptr<transformer<int, int>>> stages;
    for (int i = 0; i < kBlocks; ++i) {
      stages.push_back(std::make_unique<transformer<int, int>>(
          [&](const int& v) {
            if (all.arrive_and_wait()) ++met;
            return v;
          },
          &results));
    }
    for (int i = 0; i < kBlocks; ++i) send(*stages[i], i);
    int sum = 0;
    for (int i = 0; i < kBlocks; ++i) sum += receive(results);
    EXPECT_EQ(sum, 0 + 1 + 2 + 3);
  }
  CurrentScheduler::Detach();
  EXPECT_EQ(met.load(), kBlocks);
}

TEST(SchedulerLimit, HandlersSeeTheSchedulerOfTheThreadThatMadeTheirBlock) {
  CurrentScheduler::Create(LimitOf(2));
  Scheduler* const made = CurrentScheduler::Get();
  Scheduler* seen = nullptr;
  {
    event ran;
    call<int> stage([&](const int&) {
      seen = CurrentScheduler::Get();
      ran.set();
    });
    send(stage, 1);
    ran.wait();
  }
  CurrentScheduler::Detach();
  EXPECT_EQ(seen, made);
}

// A handler may wait for a task group of its own scheduler even when that scheduler has a
// single thread: the waiting handler runs the group's tasks itself.
TEST(SchedulerLimit, TaskGroupWaitInsideAHandlerOfASingleThreadSchedulerCompletes) {
  std::atomic<int> ran{0};
  event finished;
  CurrentScheduler::Create(LimitOf(1));
  {
    call<int> stage([&](const int&) {
      task_group group;
      for (int i = 0; i < 10; ++i) group.run([&] { ++ran; });
      group.wait();
      finished.set();
    });
    send(stage, 0);
    EXPECT_EQ(finished.wait(20000), 0u);
  }
  CurrentScheduler::Detach();
  EXPECT_EQ(ran.load(), 10);
}

TEST(Scheduler, ReferencesKeepItAliveUntilTheLastRelease) {
  Scheduler* scheduler = Scheduler::Create(LimitOf(2));
  EXPECT_EQ(scheduler->Reference(), 2u);
  EXPECT_EQ(scheduler->Release(), 1u);
  std::atomic<int> handled{0};
  {
    call<int> stage(*scheduler, [&](const int&) { ++handled; });
    scheduler->Release();  // the block's own reference keeps the scheduler
    for (int i = 0; i < 50; ++i) send(stage, i);
  }
  EXPECT_EQ(handled.load(), 50) << "destroying the block handles what it had queued";
}

}  // namespace

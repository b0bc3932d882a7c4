// One set of checks every message block must pass: arrival order, one message at a time on
// worker threads, blocking receive, a scheduler's limit over several blocks, and shut-down that
// waits for the running handler and still handles what was queued.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "agents.h"
#include "concurrency_probe.h"

using namespace Concurrency;
using namespace concurrency_test;

namespace {

// What a block's processing stage did: values in order, threads used, overlap.
struct Observer {
  explicit Observer(std::size_t expected) : processed(expected) {}
  void process(int value) {
    if (holdFirst && value == 0) {
      firstEntered.open();
      release.wait();
    }
    std::optional<Occupy> occupy;
    if (measureOverlap) occupy.emplace(active);
    {
      std::lock_guard lock(mutex);
      seen.push_back(value);
      threads.push_back(std::this_thread::get_id());
    }
    processed.arrive();
  }
  std::mutex mutex;
  std::vector<int> seen;
  std::vector<std::thread::id> threads;
  PeakCounter active;
  Countdown processed;
  bool measureOverlap = true;  // keep each message inside long enough to expose overlap
  bool holdFirst = false;  // message 0 waits for release after opening firstEntered
  Gate firstEntered;
  Gate release;
};

// Each fixture gives: input() to send to, the processing stage reported to an Observer,
// and (when the block is a source) source() with the value the stage emits for v.
struct CallBlock {
  static constexpr bool kIsSource = false;
  explicit CallBlock(Observer& o) : block([&o](const int& v) { o.process(v); }) {}
  ITarget<int>& input() { return block; }
  call<int> block;
};

struct TransformerBlock {
  static constexpr bool kIsSource = true;
  static int emitted(int v) { return v * 10; }
  explicit TransformerBlock(Observer& o) : block([&o](const int& v) {
    o.process(v);
    return emitted(v);
  }) {}
  ITarget<int>& input() { return block; }
  ISource<int>& source() { return block; }
  transformer<int, int> block;
};

// A buffer has no handler of its own: its processing stage is the call it feeds.
struct BufferBlock {
  static constexpr bool kIsSource = true;
  static int emitted(int v) { return v; }
  explicit BufferBlock(Observer& o) : stage([&o](const int& v) { o.process(v); }) { block.link_target(&stage); }
  ITarget<int>& input() { return block; }
  ISource<int>& source() {
    block.unlink_target(&stage);
    return block;
  }
  call<int> stage;
  unbounded_buffer<int> block;
};

template <class Fixture>
class MessageBlockConformance : public ::testing::Test {};
TYPED_TEST_SUITE_P(MessageBlockConformance);

TYPED_TEST_P(MessageBlockConformance, HandlesEveryMessageOnceInArrivalOrder) {
  constexpr int kCount = 300;
  Observer observer(kCount);
  observer.measureOverlap = false;
  TypeParam fixture(observer);
  for (int i = 0; i < kCount; ++i) ASSERT_TRUE(send(fixture.input(), i));
  ASSERT_TRUE(observer.processed.wait());
  std::vector<int> expected(kCount);
  for (int i = 0; i < kCount; ++i) expected[i] = i;
  std::lock_guard lock(observer.mutex);
  EXPECT_EQ(observer.seen, expected);
}

TYPED_TEST_P(MessageBlockConformance, RunsOneMessageAtATimeOffTheSendersThread) {
  constexpr int kCount = 64;
  Observer observer(kCount);
  TypeParam fixture(observer);
  for (int i = 0; i < kCount; ++i) asend(fixture.input(), i);
  ASSERT_TRUE(observer.processed.wait());
  EXPECT_EQ(observer.active.peak(), 1);
  std::lock_guard lock(observer.mutex);
  for (const auto& id : observer.threads) EXPECT_NE(id, std::this_thread::get_id());
}

TYPED_TEST_P(MessageBlockConformance, ReceiveWaitsForTheNextResult) {
  if constexpr (!TypeParam::kIsSource) {
    GTEST_SKIP() << "a call block has no output to receive";
  } else {
    Observer observer(2);
    TypeParam fixture(observer);
    ISource<int>& source = fixture.source();
    int value = -1;
    EXPECT_FALSE(try_receive(source, value));
    std::thread receiver([&] { value = receive(source); });
    send(fixture.input(), 7);
    receiver.join();
    EXPECT_EQ(value, TypeParam::emitted(7));
    send(fixture.input(), 8);
    EXPECT_EQ(receive(source), TypeParam::emitted(8));
  }
}

TYPED_TEST_P(MessageBlockConformance, SchedulerOfOneRunsHandlersOfAllItsBlocksOneAtATime) {
  constexpr int kBlocks = 4;
  constexpr int kEach = 40;
  Observer observer(kBlocks * kEach);
  CurrentScheduler::Create(SchedulerPolicy(2, MinConcurrency, 1, MaxConcurrency, 1));
  {
    std::vector<std::unique_ptr<TypeParam>> blocks;
    for (int b = 0; b < kBlocks; ++b) blocks.push_back(std::make_unique<TypeParam>(observer));
    for (int i = 0; i < kEach; ++i) {
      for (auto& block : blocks) send(block->input(), i);
    }
    // The creating thread waits outside the scheduler, so its one thread stays free for handlers.
    ASSERT_TRUE(observer.processed.wait());
  }
  CurrentScheduler::Detach();
  EXPECT_EQ(observer.active.peak(), 1);
}

TYPED_TEST_P(MessageBlockConformance, DestructionWaitsForTheRunningHandlerAndHandlesTheQueue) {
  constexpr int kCount = 20;
  Observer observer(kCount);
  observer.holdFirst = true;
  auto fixture = std::make_unique<TypeParam>(observer);
  for (int i = 0; i < kCount; ++i) send(fixture->input(), i);
  ASSERT_TRUE(observer.firstEntered.wait());
  std::atomic<bool> destroyed{false};
  std::thread destroyer([&] {
    fixture.reset();
    destroyed = true;
  });
  // Not synchronisation: gives a destructor that does not wait the chance to return early.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(destroyed);
  observer.release.open();
  destroyer.join();
  std::vector<int> expected(kCount);
  for (int i = 0; i < kCount; ++i) expected[i] = i;
  std::lock_guard lock(observer.mutex);
  EXPECT_EQ(observer.seen, expected);
}

REGISTER_TYPED_TEST_SUITE_P(MessageBlockConformance, HandlesEveryMessageOnceInArrivalOrder,
                            RunsOneMessageAtATimeOffTheSendersThread, ReceiveWaitsForTheNextResult,
                            SchedulerOfOneRunsHandlersOfAllItsBlocksOneAtATime,
                            DestructionWaitsForTheRunningHandlerAndHandlesTheQueue);

using AllBlocks = ::testing::Types<CallBlock, TransformerBlock, BufferBlock>;
INSTANTIATE_TYPED_TEST_SUITE_P(Blocks, MessageBlockConformance, AllBlocks);

}  // namespace

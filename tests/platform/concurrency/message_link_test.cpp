// Links between blocks: kept messages flow to a target linked later in their order, unlinking
// stops the flow, a transformer passes its results to the linked target, a block being destroyed
// declines messages, and messages nobody took are destroyed with their block.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "agents.h"
#include "concurrency_probe.h"

using namespace Concurrency;

namespace {

TEST(MessageLinks, KeptMessagesGoToATargetLinkedLaterInOrder) {
  unbounded_buffer<int> buffer;
  for (int i = 0; i < 5; ++i) buffer.enqueue(i);
  std::vector<int> seen;
  concurrency_test::Countdown all(8);
  std::mutex mutex;
  call<int> sink([&](const int& v) {
    std::lock_guard lock(mutex);
    seen.push_back(v);
    all.arrive();
  });
  buffer.link_target(&sink);
  for (int i = 5; i < 8; ++i) send(buffer, i);
  ASSERT_TRUE(all.wait());
  std::lock_guard lock(mutex);
  EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(MessageLinks, UnlinkedTargetsGetNothingMore) {
  unbounded_buffer<int> buffer;
  std::atomic<int> taken{0};
  {
    call<int> sink([&](const int&) { ++taken; });
    buffer.link_target(&sink);
    send(buffer, 1);
    buffer.unlink_targets();
    send(buffer, 2);
  }
  EXPECT_EQ(taken.load(), 1);
  EXPECT_EQ(buffer.dequeue(), 2);
}

TEST(MessageLinks, TransformerChainsDeliverResultsInOrder) {
  unbounded_buffer<std::string> results;
  transformer<int, std::string> format([](const int& v) { return std::to_string(v); }, &results);
  transformer<int, int> square([](const int& v) { return v * v; }, &format);
  for (int i = 1; i <= 4; ++i) send(square, i);
  std::vector<std::string> seen;
  for (int i = 0; i < 4; ++i) seen.push_back(receive(results));
  EXPECT_EQ(seen, (std::vector<std::string>{"1", "4", "9", "16"}));
}

TEST(MessageLinks, MessagesNobodyTookAreDestroyedWithTheirBlock) {
  auto payload = std::make_shared<int>(5);
  std::weak_ptr<int> watch = payload;
  {
    unbounded_buffer<std::shared_ptr<int>> buffer;
    send(buffer, payload);
    transformer<int, std::shared_ptr<int>> producer([copy = payload](const int&) { return copy; });
    send(producer, 0);
    payload.reset();
    send(producer, 1);
    EXPECT_EQ(*receive(producer), 5);  // the handler ran; the second result stays kept
  }
  EXPECT_TRUE(watch.expired());
}

TEST(MessageLinks, AShutDownTargetDeclinesAndTheSourceKeepsTheMessage) {
  unbounded_buffer<int> buffer;
  auto sink = std::make_unique<call<int>>([](const int&) {});
  buffer.link_target(sink.get());
  sink->input_core().shut_down();
  EXPECT_FALSE(send(*sink, 1));
  send(buffer, 2);
  int kept = 0;
  EXPECT_TRUE(try_receive(buffer, kept));
  EXPECT_EQ(kept, 2);
}

}  // namespace

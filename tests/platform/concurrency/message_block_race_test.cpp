// Races around message blocks: many senders at once, links changing while messages flow, a
// whole request network torn down with messages in flight, and schedulers whose last reference
// goes while their work is still queued. Meant to run under the thread sanitizer as well.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "agents.h"
#include "concurrency_probe.h"

using namespace Concurrency;
using namespace concurrency_test;

namespace {

TEST(MessageBlockRaces, ConcurrentSendersKeepEachSendersOrder) {
  constexpr int kSenders = 4;
  constexpr int kEach = 400;
  std::vector<int> last(kSenders, -1);
  std::atomic<int> outOfOrder{0};
  Countdown all(kSenders * kEach);
  call<std::pair<int, int>> sink([&](const std::pair<int, int>& m) {
    if (m.second != last[m.first] + 1) ++outOfOrder;  // handlers never overlap: no lock needed
    last[m.first] = m.second;
    all.arrive();
  });
  transformer<std::pair<int, int>, std::pair<int, int>> relay([](const auto& m) { return m; }, &sink);
  std::vector<std::thread> senders;
  for (int s = 0; s < kSenders; ++s) {
    senders.emplace_back([&, s] {
      for (int i = 0; i < kEach; ++i) send(relay, std::make_pair(s, i));
    });
  }
  for (auto& sender : senders) sender.join();
  ASSERT_TRUE(all.wait());
  EXPECT_EQ(outOfOrder.load(), 0);
}

TEST(MessageBlockRaces, LinkingAndUnlinkingWhileMessagesFlowLosesNothing) {
  constexpr int kCount = 2000;
  unbounded_buffer<int> buffer;
  std::vector<int> delivered;
  std::mutex mutex;
  call<int> sink([&](const int& v) {
    std::lock_guard lock(mutex);
    delivered.push_back(v);
  });
  std::thread sender([&] {
    for (int i = 0; i < kCount; ++i) send(buffer, i);
  });
  for (int round = 0; round < 200; ++round) {
    buffer.link_target(&sink);
    buffer.unlink_target(&sink);
  }
  sender.join();
  buffer.link_target(&sink);
  sink.input_core().shut_down();  // handles what it queued
  std::lock_guard lock(mutex);
  ASSERT_EQ(delivered.size(), static_cast<std::size_t>(kCount));
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(delivered[i], i);
}

// The shape of a region request: decode stages -> placement stages -> one completion block, and
// a missing-tile block; torn down in reverse order of creation while messages are in flight.
TEST(MessageBlockRaces, TearingDownARequestNetworkInFlightLosesNoRunningHandler) {
  constexpr int kStages = 3;
  constexpr int kTiles = 300;
  std::atomic<int> entered{0};
  std::atomic<int> left{0};
  auto work = [&] {
    ++entered;
    PeakCounter::stay();
    ++left;
  };
  auto tile = std::make_shared<int>(0);
  std::weak_ptr<int> watch = tile;
  using Tile = std::shared_ptr<int>;
  {
    std::vector<std::unique_ptr<transformer<Tile, Tile>>> decode;
    std::vector<std::unique_ptr<transformer<Tile, Tile>>> place;
    for (int i = 0; i < kStages; ++i) {
      decode.push_back(std::make_unique<transformer<Tile, Tile>>([&](const Tile& t) {
        work();
        return t;
      }));
      place.push_back(std::make_unique<transformer<Tile, Tile>>([&](const Tile& t) {
        work();
        return t;
      }));
      decode[i]->link_target(place[i].get());
    }
    auto completion = std::make_unique<call<Tile>>([&](const Tile&) { work(); });
    auto missing = std::make_unique<call<Tile>>([&](const Tile&) { work(); });
    for (auto& p : place) p->link_target(completion.get());
    for (int i = 0; i < kTiles; ++i) {
      asend(*decode[i % kStages], tile);
      if (i % 10 == 0) asend(*missing, tile);
    }
    tile.reset();
    missing.reset();
    completion.reset();
    while (!place.empty()) place.pop_back();
    while (!decode.empty()) decode.pop_back();
  }
  EXPECT_EQ(entered.load(), left.load());
  EXPECT_GE(entered.load(), kTiles) << "every decode message is handled before its stage goes";
  EXPECT_TRUE(watch.expired()) << "no message is leaked";
}

TEST(MessageBlockRaces, SchedulerReleasedWhileItsWorkIsQueuedStaysUntilTheWorkIsDone) {
  for (int round = 0; round < 30; ++round) {
    Scheduler* scheduler = Scheduler::Create(SchedulerPolicy(1, MaxConcurrency, 1 + round % 3));
    std::atomic<int> handled{0};
    auto stage = std::make_unique<call<int>>(*scheduler, [&](const int&) { ++handled; });
    scheduler->Release();
    for (int i = 0; i < 20; ++i) asend(*stage, i);
    stage.reset();
    ASSERT_EQ(handled.load(), 20);
  }
}

}  // namespace

// Parallel loops and task groups: every index or element visited exactly once (index ranges,
// steps, empty and extreme ranges, forward containers), the first exception rethrown, and
// task groups that wait, rethrow, cancel and wait on destruction.
#include <gtest/gtest.h>

#include <cstdint>
#include <list>
#include <map>
#include <stdexcept>
#include <vector>

#include "ppl.h"

using namespace Concurrency;

namespace {

struct RangeCase {
  std::int64_t first, last, step;
};

class ParallelForRange : public ::testing::TestWithParam<RangeCase> {};

TEST_P(ParallelForRange, VisitsEachIndexOfTheRangeOnce) {
  const RangeCase c = GetParam();
  std::map<std::int64_t, int> visits;
  std::mutex mutex;
  parallel_for(c.first, c.last, c.step, [&](std::int64_t i) {
    std::lock_guard lock(mutex);
    ++visits[i];
  });
  std::map<std::int64_t, int> expected;
  for (std::int64_t i = c.first; i < c.last; i += c.step) {
    expected[i] = 1;
    if (c.last - i <= c.step) break;  // the next step would pass INT64_MAX
  }
  EXPECT_EQ(visits, expected);
}

INSTANTIATE_TEST_SUITE_P(Ranges, ParallelForRange,
                         ::testing::Values(RangeCase{0, 10, 1}, RangeCase{5, 5, 1}, RangeCase{10, 0, 1},
                                           RangeCase{-7, 20, 3}, RangeCase{0, 1000, 7}, RangeCase{3, 4, 100},
                                           RangeCase{INT64_MAX - 5, INT64_MAX, 2}));

TEST(ParallelFor, SmallIndexTypesCoverTheirWholeRange) {
  std::atomic<int> sum{0};
  std::atomic<int> count{0};
  parallel_for(std::int8_t{-128}, std::int8_t{127}, [&](std::int8_t i) {
    sum += i;
    ++count;
  });
  EXPECT_EQ(count.load(), 255);
  EXPECT_EQ(sum.load(), -255);  // -128 + ... + 126
}

TEST(ParallelFor, RejectsAStepBelowOneAndRethrowsABodysException) {
  EXPECT_THROW(parallel_for(0, 10, 0, [](int) {}), std::invalid_argument);
  EXPECT_THROW(parallel_for(0, 1000, [](int i) {
                 if (i == 500) throw std::out_of_range("body");
               }),
               std::out_of_range);
}

template <class Container>
std::vector<int> VisitAll(Container& items) {
  std::vector<std::atomic<int>> visits(items.size());
  parallel_for_each(items.begin(), items.end(), [&](auto& item) {
    ++visits[static_cast<std::size_t>(item.second)];
  });
  std::vector<int> counts;
  for (auto& v : visits) counts.push_back(v.load());
  return counts;
}

TEST(ParallelForEach, VisitsEveryElementOfRandomAccessAndForwardContainers) {
  std::vector<std::pair<int, int>> vector;
  std::list<std::pair<int, int>> list;
  std::map<int, int> map;
  for (int i = 0; i < 300; ++i) {
    vector.emplace_back(i, i);
    list.emplace_back(i, i);
    map.emplace(i * 7, i);
  }
  const std::vector<int> once(300, 1);
  EXPECT_EQ(VisitAll(vector), once);
  EXPECT_EQ(VisitAll(list), once);
  EXPECT_EQ(VisitAll(map), once);
  std::vector<std::pair<int, int>> none;
  EXPECT_TRUE(VisitAll(none).empty());
}

TEST(TaskGroup, WaitReturnsWhenEveryTaskHasRun) {
  std::atomic<int> sum{0};
  task_group group;
  for (int i = 1; i <= 100; ++i) group.run([&sum, i] { sum += i; });
  EXPECT_EQ(group.wait(), completed);
  EXPECT_EQ(sum.load(), 5050);
  group.run([&] {
    group.run([&] { sum += 1; });  // a task may add tasks to its group
  });
  EXPECT_EQ(group.wait(), completed);
  EXPECT_EQ(sum.load(), 5051);
}

TEST(TaskGroup, WaitRethrowsTheFirstExceptionAndTheGroupIsUsableAgain) {
  task_group group;
  group.run([] { throw std::runtime_error("task"); });
  EXPECT_THROW(group.wait(), std::runtime_error);
  std::atomic<bool> ran{false};
  group.run([&] { ran = true; });
  EXPECT_EQ(group.wait(), completed);
  EXPECT_TRUE(ran);
}

TEST(TaskGroup, CancelSkipsTasksNotStartedYet) {
  task_group group;
  group.cancel();
  EXPECT_TRUE(group.is_canceling());
  std::atomic<int> ran{0};
  for (int i = 0; i < 20; ++i) group.run([&] { ++ran; });
  EXPECT_EQ(group.wait(), canceled);
  EXPECT_EQ(ran.load(), 0);
}

TEST(TaskGroup, DestructionWaitsForRunningTasks) {
  std::atomic<int> finished{0};
  {
    task_group group;
    for (int i = 0; i < 8; ++i) {
      group.run([&] {
        for (int k = 0; k < 1000; ++k) std::this_thread::yield();
        ++finished;
      });
    }
  }
  EXPECT_EQ(finished.load(), 8);
}

TEST(StructuredTaskGroup, RunsHandlesAndWaits) {
  std::atomic<int> ran{0};
  auto first = make_task([&] { ++ran; });
  auto second = make_task([&] { ran += 10; });
  structured_task_group group;
  group.run(first);
  EXPECT_EQ(group.run_and_wait(second), completed);
  EXPECT_EQ(ran.load(), 11);
}

}  // namespace

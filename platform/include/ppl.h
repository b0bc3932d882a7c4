// Parallel patterns of the concurrency runtime: parallel_for, parallel_for_each, task_group and
// structured_task_group. Work runs on the calling thread's current scheduler (within its limit);
// the calls return when all of it has run and rethrow the first exception a body threw.
#pragma once

#include <iterator>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

#include "concrt.h"
#include "zplatform/concrt/parallel_core.h"

namespace Concurrency {

enum task_group_status { not_complete, completed, canceled };

namespace detail {

template <class Index, class Function>
struct index_loop {
  Index first;
  Index step;
  const Function* function;

  static void run(void* context, std::uint64_t begin, std::uint64_t end) {
    const auto& self = *static_cast<const index_loop*>(context);
    for (std::uint64_t i = begin; i < end; ++i) {
      // Unsigned arithmetic: the sum wraps back into Index's range without signed overflow.
      using Wide = std::make_unsigned_t<Index>;
      const auto offset = static_cast<Wide>(i * static_cast<std::uint64_t>(self.step));
      (*self.function)(static_cast<Index>(static_cast<Wide>(static_cast<Wide>(self.first) + offset)));
    }
  }
};

// Random-access range: element i is first[i].
template <class Iterator, class Function>
struct random_access_loop {
  Iterator first;
  const Function* function;

  static void run(void* context, std::uint64_t begin, std::uint64_t end) {
    const auto& self = *static_cast<const random_access_loop*>(context);
    for (std::uint64_t i = begin; i < end; ++i) (*self.function)(self.first[static_cast<std::ptrdiff_t>(i)]);
  }
};

// Forward range: the positions were collected first, element i is *positions[i].
template <class Iterator, class Function>
struct collected_loop {
  const Iterator* positions;
  const Function* function;

  static void run(void* context, std::uint64_t begin, std::uint64_t end) {
    const auto& self = *static_cast<const collected_loop*>(context);
    for (std::uint64_t i = begin; i < end; ++i) (*self.function)(*self.positions[i]);
  }
};

inline task_group_status from_group_status(group_status s) {
  return s == group_status::completed ? completed : (s == group_status::canceled ? canceled : not_complete);
}

}  // namespace detail

// Calls function(i) for i = first, first + step, ... below last. step must be positive.
template <class Index, class Function>
void parallel_for(Index first, Index last, Index step, const Function& function) {
  static_assert(std::is_integral_v<Index>, "parallel_for needs an integral index");
  if (step < Index(1)) throw std::invalid_argument("parallel_for: step must be positive");
  if (!(first < last)) return;
  using Wide = std::make_unsigned_t<Index>;
  const std::uint64_t span = static_cast<std::uint64_t>(static_cast<Wide>(static_cast<Wide>(last) - static_cast<Wide>(first)));
  const std::uint64_t count = (span - 1) / static_cast<std::uint64_t>(step) + 1;
  detail::index_loop<Index, Function> loop{first, step, &function};
  detail::parallel_range(count, &detail::index_loop<Index, Function>::run, &loop);
}

template <class Index, class Function>
void parallel_for(Index first, Index last, const Function& function) {
  parallel_for(first, last, Index(1), function);
}

// Calls function(element) for every element of [first, last) (forward iterators or better).
template <class Iterator, class Function>
void parallel_for_each(Iterator first, Iterator last, const Function& function) {
  using Category = typename std::iterator_traits<Iterator>::iterator_category;
  static_assert(std::is_base_of_v<std::forward_iterator_tag, Category>, "parallel_for_each needs forward iterators");
  if constexpr (std::is_base_of_v<std::random_access_iterator_tag, Category>) {
    const auto count = static_cast<std::uint64_t>(std::distance(first, last));
    detail::random_access_loop<Iterator, Function> loop{first, &function};
    if (count != 0) detail::parallel_range(count, &detail::random_access_loop<Iterator, Function>::run, &loop);
  } else {
    std::vector<Iterator> positions;
    for (; first != last; ++first) positions.push_back(first);
    detail::collected_loop<Iterator, Function> loop{positions.data(), &function};
    if (!positions.empty()) detail::parallel_range(positions.size(), &detail::collected_loop<Iterator, Function>::run, &loop);
  }
}

// Runs tasks on the scheduler current where the group was made. wait() returns when all have
// run and rethrows the first exception one of them threw (later tasks are then skipped).
// Destroying a group waits for its tasks.
class task_group {
 public:
  task_group() = default;
  ~task_group() {
    try {
      core_.wait();
    } catch (...) {
    }
  }
  task_group(const task_group&) = delete;
  task_group& operator=(const task_group&) = delete;

  template <class Function>
  void run(const Function& function) {
    core_.run(function);
  }
  template <class Function>
  task_group_status run_and_wait(const Function& function) {
    run(function);
    return wait();
  }
  task_group_status wait() { return detail::from_group_status(core_.wait()); }
  void cancel() { core_.cancel(); }
  bool is_canceling() const { return core_.is_canceling(); }

 private:
  detail::task_group_core core_;
};

// A task for structured_task_group; it must outlive the group's wait.
template <class Function>
class task_handle {
 public:
  explicit task_handle(const Function& function) : function_(function) {}
  void operator()() const { function_(); }

 private:
  Function function_;
};

template <class Function>
task_handle<Function> make_task(const Function& function) {
  return task_handle<Function>(function);
}

// Like task_group, for tasks held in task_handle objects owned by the caller.
class structured_task_group {
 public:
  structured_task_group() = default;
  ~structured_task_group() {
    try {
      core_.wait();
    } catch (...) {
    }
  }
  structured_task_group(const structured_task_group&) = delete;
  structured_task_group& operator=(const structured_task_group&) = delete;

  template <class Function>
  void run(task_handle<Function>& handle) {
    core_.run([&handle] { handle(); });
  }
  template <class Function>
  task_group_status run_and_wait(task_handle<Function>& handle) {
    run(handle);
    return wait();
  }
  task_group_status wait() { return detail::from_group_status(core_.wait()); }
  void cancel() { core_.cancel(); }
  bool is_canceling() const { return core_.is_canceling(); }

 private:
  detail::task_group_core core_;
};

}  // namespace Concurrency

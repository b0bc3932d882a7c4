// Type-erased engines behind the templates of ppl.h: a parallel loop over iteration numbers with
// automatic partitioning, and the shared state of a task group.
// Both run their work on the calling thread's current scheduler and rethrow the first exception.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "zplatform/api.h"

namespace Concurrency::detail {

// Runs body(context, begin, end) over disjoint chunks covering 0 .. count-1 and returns when all
// have run. The first exception thrown by a chunk cancels the rest and is rethrown here.
using range_body = void (*)(void* context, std::uint64_t begin, std::uint64_t end);
ZPLATFORM_API void parallel_range(std::uint64_t count, range_body body, void* context);

struct task_group_state;

enum class group_status { not_complete, completed, canceled };

// Tasks run on the scheduler current where the group was made; wait() runs tasks that no
// worker has picked up yet itself, so waiting never depends on a free worker.
class ZPLATFORM_API task_group_core {
 public:
  task_group_core();
  ~task_group_core();
  task_group_core(const task_group_core&) = delete;
  task_group_core& operator=(const task_group_core&) = delete;

  void run(std::function<void()> work);
  // Returns completed, or canceled after cancel(); rethrows the first exception of a task.
  group_status wait();
  void cancel();
  bool is_canceling() const;

 private:
  std::shared_ptr<task_group_state> state_;
};

}  // namespace Concurrency::detail

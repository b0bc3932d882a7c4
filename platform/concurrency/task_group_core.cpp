// Task groups: each task is queued on the group's scheduler at run(); wait() runs the tasks no
// worker has claimed yet itself (in parallel, inside the scheduler), then waits for the rest.
// So a wait never depends on a free worker, even from inside a scheduler limited to one thread.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include <oneapi/tbb/parallel_for.h>

#include "concurrency/detail/sanitizer_handoff.h"
#include "concurrency/detail/scheduler_engine.h"
#include "zplatform/concrt/parallel_core.h"

namespace Concurrency::detail {

struct group_task {
  std::function<void()> work;
  std::atomic<bool> claimed{false};  // whoever sets it runs the work
};

struct task_group_state {
  explicit task_group_state(scheduler_engine& e) : engine(e) { engine.add_reference(); }
  ~task_group_state() { engine.drop_reference(); }

  // Runs the task unless another thread claimed it; records the first exception.
  void run_task(group_task& task) {
    if (task.claimed.exchange(true)) return;
    if (!canceling.load()) {
      try {
        task.work();
      } catch (...) {
        std::lock_guard lock(mutex);
        if (!error) error = std::current_exception();
        canceling = true;
      }
    }
    task.work = nullptr;
    std::lock_guard lock(mutex);
    if (--pending == 0) settled.notify_all();
  }

  scheduler_engine& engine;
  std::mutex mutex;
  std::condition_variable settled;                  // pending reached 0, or a task was added
  std::vector<std::shared_ptr<group_task>> unseen;  // added since the last wait() looked
  std::size_t pending = 0;                          // tasks not finished; mutex
  std::exception_ptr error;                         // first exception; mutex
  std::atomic<bool> canceling{false};
};

namespace {

void help(task_group_state& state, const std::vector<std::shared_ptr<group_task>>& tasks) {
  state.engine.execute([&] {
    handoff_publish();
    oneapi::tbb::parallel_for(std::size_t{0}, tasks.size(), [&](std::size_t i) {
      handoff_receive();
      scheduler_scope scope(state.engine);
      state.run_task(*tasks[i]);
      handoff_publish();
    });
    handoff_receive();
  });
}

}  // namespace

task_group_core::task_group_core() = default;

task_group_core::~task_group_core() {
  if (!state_) return;
  try {
    wait();
  } catch (...) {
  }
}

void task_group_core::run(std::function<void()> work) {
  if (!state_) state_ = std::make_shared<task_group_state>(current_engine());
  auto task = std::make_shared<group_task>();
  task->work = std::move(work);
  {
    std::lock_guard lock(state_->mutex);
    state_->unseen.push_back(task);
    ++state_->pending;
  }
  state_->settled.notify_all();
  state_->engine.enqueue([state = state_, task] { state->run_task(*task); });
}

group_status task_group_core::wait() {
  if (!state_) return group_status::completed;
  for (;;) {
    std::vector<std::shared_ptr<group_task>> tasks;
    {
      std::unique_lock lock(state_->mutex);
      state_->settled.wait(lock, [this] { return state_->pending == 0 || !state_->unseen.empty(); });
      if (state_->pending == 0) break;
      tasks.swap(state_->unseen);
    }
    help(*state_, tasks);
  }
  std::exception_ptr error;
  bool wasCanceling;
  {
    std::lock_guard lock(state_->mutex);
    state_->unseen.clear();
    error = std::exchange(state_->error, nullptr);
    wasCanceling = state_->canceling.exchange(false);
  }
  if (error) std::rethrow_exception(error);
  return wasCanceling ? group_status::canceled : group_status::completed;
}

void task_group_core::cancel() {
  if (!state_) state_ = std::make_shared<task_group_state>(current_engine());
  state_->canceling = true;
}

bool task_group_core::is_canceling() const { return state_ && state_->canceling.load(); }

}  // namespace Concurrency::detail

// The machinery behind a Scheduler: a oneTBB arena with the policy's concurrency limit, reference
// counting that keeps the arena alive while work of it is queued, and the process default.
// Thread-safe. An engine is freed when its last reference goes (never on a thread inside it).
#pragma once

#include "concurrency/detail/internal_only.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <type_traits>
#include <utility>

#include <oneapi/tbb/task_arena.h>

#include "concrt.h"
#include "concurrency/detail/sanitizer_handoff.h"
#include "concurrency/detail/scheduler_stack.h"

namespace Concurrency::detail {

template <class Work>
struct queued_work;

// Completion of work handed to a worker by execute().
struct delegation {
  void finish();
  void wait();  // rethrows the work's exception
  std::exception_ptr error;

 private:
  std::mutex mutex_;
  std::condition_variable finished_;
  bool done_ = false;
};

struct scheduler_engine {
  scheduler_engine(const SchedulerPolicy& policy, bool permanent);
  scheduler_engine(const scheduler_engine&) = delete;
  scheduler_engine& operator=(const scheduler_engine&) = delete;

  unsigned int add_reference() noexcept;
  unsigned int drop_reference() noexcept;
  // For a thread that runs work of this engine: the engine is then freed by another thread.
  void drop_reference_from_inside() noexcept;

  // Runs work inside the arena, isolated from other work there, with this engine current, and
  // returns when it is done (rethrowing its exception). A thread already running this engine's
  // work runs it in place; any other thread hands it to a worker and waits outside the arena.
  // So only workers ever hold the arena's slots: the limit holds exactly, and a waiting caller
  // never takes a slot that the work it waits for needs.
  template <class Work>
  void execute(Work&& work) {
    if (running_on_this_thread() == this) {
      oneapi::tbb::this_task_arena::isolate([&] { work(); });
      return;
    }
    delegation done;
    enqueue([&] {
      try {
        oneapi::tbb::this_task_arena::isolate([&] { work(); });
      } catch (...) {
        done.error = std::current_exception();
      }
      done.finish();
    });
    done.wait();
  }

  // Queues work for a worker of the arena; the engine stays alive until the work has run.
  // Exceptions leaving the work are dropped (queued work has nobody to report to).
  template <class Work>
  void enqueue(Work&& work) {
    add_reference();
    auto* task = new queued_work<std::decay_t<Work>>{this, std::forward<Work>(work)};
    handoff_publish();
    arena.enqueue([task] { queued_work<std::decay_t<Work>>::run(task); });
  }

  Scheduler facade{this};
  const SchedulerPolicy policy;
  const unsigned int concurrency;  // threads that may run this engine's work at once
  const unsigned int id;
  oneapi::tbb::task_arena arena;

 private:
  std::atomic<unsigned int> references_{1};
};

// A task queued on an engine. It lives on the heap so that it is complete before the hand-off
// to oneTBB; its work's captures go before the task's reference on the engine does.
template <class Work>
struct queued_work {
  scheduler_engine* engine;
  Work work;

  static void run(queued_work* task) {
    handoff_receive();
    scheduler_engine* engine = task->engine;
    {
      scheduler_scope scope(*engine);
      try {
        task->work();
      } catch (...) {
      }
      delete task;
    }
    engine->drop_reference_from_inside();
    handoff_publish();
  }
};

// The process default, made on first use with MaxConcurrency = hardware threads; never freed.
scheduler_engine& default_engine();
// The engine that work started from this thread runs on: the top of the thread's stack, or the default.
scheduler_engine& current_engine();

}  // namespace Concurrency::detail

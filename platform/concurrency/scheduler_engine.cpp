// Scheduler engines on oneTBB arenas: the worker pool sized for the largest limit asked for,
// reference counting with deferred freeing, the process default and the public Scheduler calls.
// An arena has no slots reserved for outside threads, so a waiting caller never holds one.
#include "concurrency/detail/scheduler_engine.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include <oneapi/tbb/global_control.h>
#include <oneapi/tbb/info.h>

namespace Concurrency::detail {
namespace {

constexpr unsigned int kMostWorkers = 256;

// Raises oneTBB's worker count so that a scheduler with this limit can really run that many
// threads at once (a waiting caller does not lend its thread to the arena). Never lowered.
void ensure_workers(unsigned int concurrency) {
  static std::mutex mutex;
  static unsigned int provided = 0;
  static oneapi::tbb::global_control* control = nullptr;  // kept for the process
  std::lock_guard lock(mutex);
  if (concurrency <= provided) return;
  auto* wider = new oneapi::tbb::global_control(oneapi::tbb::global_control::max_allowed_parallelism, concurrency + 1);
  delete control;
  control = wider;
  provided = concurrency;
}

unsigned int next_id() {
  static std::atomic<unsigned int> counter{0};
  return counter.fetch_add(1, std::memory_order_relaxed);
}

unsigned int concurrency_of(const SchedulerPolicy& policy) {
  return std::clamp(policy.EffectiveMaxConcurrency(), 1u, kMostWorkers);
}

}  // namespace

scheduler_engine::scheduler_engine(const SchedulerPolicy& p, bool permanent)
    : policy(p), concurrency(concurrency_of(p)), id(next_id()),
      arena(static_cast<int>(concurrency), /*reserved_for_masters=*/0) {
  ensure_workers(std::max(concurrency, concurrency_of(SchedulerPolicy())));
  arena.initialize();
  if (permanent) references_.fetch_add(1, std::memory_order_relaxed);
}

void delegation::finish() {
  std::lock_guard lock(mutex_);
  done_ = true;
  finished_.notify_all();  // under the lock: the waiter may free this right after
}

void delegation::wait() {
  {
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [this] { return done_; });
  }
  if (error) std::rethrow_exception(error);
}

unsigned int scheduler_engine::add_reference() noexcept {
  return references_.fetch_add(1, std::memory_order_relaxed) + 1;
}

unsigned int scheduler_engine::drop_reference() noexcept {
  const unsigned int left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

// The arena must not be torn down from one of its own tasks: the default engine's workers free it.
void scheduler_engine::drop_reference_from_inside() noexcept {
  if (references_.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  default_engine().enqueue([this] { delete this; });
}

scheduler_engine& default_engine() {
  static scheduler_engine* const engine = new scheduler_engine(SchedulerPolicy(), /*permanent=*/true);
  return *engine;
}

scheduler_engine& current_engine() {
  scheduler_engine* top = top_of_thread_stack();
  return top != nullptr ? *top : default_engine();
}

}  // namespace Concurrency::detail

namespace Concurrency {

Scheduler* Scheduler::Create(const SchedulerPolicy& policy) {
  return &(new detail::scheduler_engine(policy, /*permanent=*/false))->facade;
}

unsigned int Scheduler::Id() const { return engine_->id; }
unsigned int Scheduler::GetNumberOfVirtualProcessors() const { return engine_->concurrency; }
SchedulerPolicy Scheduler::GetPolicy() const { return engine_->policy; }
unsigned int Scheduler::Reference() { return engine_->add_reference(); }
unsigned int Scheduler::Release() { return engine_->drop_reference(); }

void Scheduler::Attach() {
  engine_->add_reference();
  detail::push_attached(*engine_);
}

}  // namespace Concurrency

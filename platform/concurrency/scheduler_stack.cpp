// The per-thread scheduler stack behind CurrentScheduler, and the scopes in which runtime threads
// borrow the scheduler whose work they run.
// Thread-local state only; references of attached entries are dropped by Detach or at thread exit.
#include "concurrency/detail/scheduler_stack.h"

#include <vector>

#include "concurrency/detail/scheduler_engine.h"

namespace Concurrency::detail {
namespace {

struct stack_entry {
  scheduler_engine* engine;
  bool attached;  // holds a reference the thread took with Attach / CurrentScheduler::Create
};

struct thread_stack {
  std::vector<stack_entry> entries;

  void pop_to(std::size_t depth) noexcept {
    while (entries.size() > depth) {
      const stack_entry top = entries.back();
      entries.pop_back();
      if (top.attached) top.engine->drop_reference();
    }
  }
  ~thread_stack() { pop_to(0); }
};

thread_local thread_stack t_stack;

}  // namespace

scheduler_scope::scheduler_scope(scheduler_engine& engine) : depth_(t_stack.entries.size()) {
  t_stack.entries.push_back({&engine, false});
}

scheduler_scope::~scheduler_scope() { t_stack.pop_to(depth_); }

scheduler_engine* running_on_this_thread() noexcept {
  for (auto entry = t_stack.entries.rbegin(); entry != t_stack.entries.rend(); ++entry) {
    if (!entry->attached) return entry->engine;
  }
  return nullptr;
}

scheduler_engine* top_of_thread_stack() noexcept {
  return t_stack.entries.empty() ? nullptr : t_stack.entries.back().engine;
}

void push_attached(scheduler_engine& engine) { t_stack.entries.push_back({&engine, true}); }

scheduler_engine& pop_attached() {
  if (t_stack.entries.empty()) throw scheduler_not_attached();
  const stack_entry top = t_stack.entries.back();
  if (!top.attached) throw improper_scheduler_detach();
  t_stack.entries.pop_back();
  return *top.engine;
}

}  // namespace Concurrency::detail

namespace Concurrency {

void CurrentScheduler::Create(const SchedulerPolicy& policy) {
  Scheduler* scheduler = Scheduler::Create(policy);
  scheduler->Attach();
  scheduler->Release();
}

void CurrentScheduler::Detach() { detail::pop_attached().drop_reference(); }

Scheduler* CurrentScheduler::Get() { return &detail::current_engine().facade; }
unsigned int CurrentScheduler::Id() { return detail::current_engine().id; }
SchedulerPolicy CurrentScheduler::GetPolicy() { return detail::current_engine().policy; }
unsigned int CurrentScheduler::GetNumberOfVirtualProcessors() { return detail::current_engine().concurrency; }

}  // namespace Concurrency

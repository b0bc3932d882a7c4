// The per-thread stack of current schedulers: entries attached by the thread (holding a
// reference) and entries a runtime thread borrows while it runs a scheduler's work.
// Thread-local; attached entries left at thread exit are released then.
#pragma once

#include "concurrency/detail/internal_only.h"

#include <cstddef>

namespace Concurrency::detail {

struct scheduler_engine;

// Makes an engine current on this thread for the scope without taking a reference. On leaving,
// entries attached inside the scope and not detached are detached (and released) too.
class scheduler_scope {
 public:
  explicit scheduler_scope(scheduler_engine& engine);
  ~scheduler_scope();
  scheduler_scope(const scheduler_scope&) = delete;
  scheduler_scope& operator=(const scheduler_scope&) = delete;

 private:
  std::size_t depth_;  // stack depth to restore
};

// The engine whose work this thread is running (the innermost borrowed entry), or null.
scheduler_engine* running_on_this_thread() noexcept;
// Top of this thread's stack, or null.
scheduler_engine* top_of_thread_stack() noexcept;
// Pushes an attached entry; the caller has added the reference it hands over.
void push_attached(scheduler_engine& engine);
// Pops the top entry when the thread attached it; throws scheduler_not_attached or
// improper_scheduler_detach otherwise. Returns the engine whose reference the caller now drops.
scheduler_engine& pop_attached();

}  // namespace Concurrency::detail

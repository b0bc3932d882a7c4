// Shared state of the message queues: the input queue of a target with its processor token, the
// kept messages and links of a source, and the one mutex that guards every link.
// Lock order: link mutex -> a source's mutex -> a target's mutex (a pass-through target's mutex
// is followed by its own source's mutex; links between blocks must not form a cycle).
#pragma once

#include "concurrency/detail/internal_only.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "zplatform/concrt/message_core.h"

namespace Concurrency::detail {

struct scheduler_engine;

struct target_state {
  std::mutex mutex;
  std::condition_variable idle;      // the processor token was given back
  std::deque<message_ptr> queue;     // accepted, not yet handled
  bool closed = false;               // shutting down: offers are declined
  bool scheduled = false;            // a processing task is queued or running
  bool busy = false;                 // processor token: the handler is running (task or shut-down)
  message_handler* handler = nullptr;    // null for a pass-through target
  source_core* pass_through = nullptr;   // the buffer's own output side
  scheduler_engine* engine = nullptr;    // referenced until the target_core goes
  std::vector<source_state*> sources;    // sources linked to this target; link mutex
};

struct source_state {
  std::mutex mutex;
  std::condition_variable available;  // a message was kept
  std::deque<message_ptr> kept;       // messages no target took, oldest first
  std::vector<target_core*> targets;  // offered in link order; changed under link mutex and mutex
};

std::mutex& link_mutex();

}  // namespace Concurrency::detail

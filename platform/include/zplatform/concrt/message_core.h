// Type-erased message queues behind the message-block templates of agents.h: an input queue that
// runs a handler one message at a time on worker threads, and an output side with links.
// Thread-safe. Links form a graph guarded by one process-wide mutex; messages never take it.
#pragma once

#include <memory>

#include "zplatform/api.h"

namespace Concurrency {
class Scheduler;
}

namespace Concurrency::detail {

// One message in flight; the block templates know its concrete type.
struct erased_message {
  virtual ~erased_message() = default;
};

template <class T>
struct typed_message final : erased_message {
  template <class U>
  explicit typed_message(U&& v) : value(std::forward<U>(v)) {}
  T value;
};

using message_ptr = std::unique_ptr<erased_message>;

template <class T, class U>
message_ptr make_message(U&& value) {
  return message_ptr(new typed_message<T>(std::forward<U>(value)));
}

template <class T>
T& message_value(erased_message& m) {
  return static_cast<typed_message<T>&>(m).value;
}

// Called for each message of an input queue, one at a time, in arrival order.
class message_handler {
 public:
  virtual void handle(erased_message& message) = 0;

 protected:
  ~message_handler() = default;
};

struct source_state;
struct target_state;
class source_core;

// The input side of a block. Either processes with a handler on the scheduler that was current
// on the constructing thread, or (for buffers) passes every message straight to an output side.
class ZPLATFORM_API target_core {
 public:
  explicit target_core(message_handler& handler);
  target_core(Scheduler& scheduler, message_handler& handler);
  explicit target_core(source_core& passThrough);
  ~target_core();
  target_core(const target_core&) = delete;
  target_core& operator=(const target_core&) = delete;

  // Takes the message (and returns true) unless the block is shutting down.
  bool offer(message_ptr& message);
  // Declines new messages, drops links from sources, waits for a running handler and then
  // runs the handler for every message still queued, in order, on the calling thread.
  // Must be called before the handler goes away, and not from the handler itself.
  void shut_down();

  target_state& state() const noexcept { return *state_; }

 private:
  std::shared_ptr<target_state> state_;
};

// The output side of a block: delivers each message to the first linked target that takes it,
// or keeps it (in order) for receive / try_receive or a target linked later.
class ZPLATFORM_API source_core {
 public:
  source_core();
  ~source_core();
  source_core(const source_core&) = delete;
  source_core& operator=(const source_core&) = delete;

  void post(message_ptr message);
  void link(target_core& target);
  void unlink(target_core& target);
  void unlink_all();
  // Blocks until a message is kept and takes the oldest.
  message_ptr take();
  // The oldest kept message, or null.
  message_ptr try_take();
  // Drops all links; messages still kept are destroyed.
  void shut_down();

 private:
  std::unique_ptr<source_state> state_;
};

}  // namespace Concurrency::detail

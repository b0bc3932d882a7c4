// Input side of message blocks: an unbounded queue whose handler runs one message at a time, in
// arrival order, in tasks on the block's scheduler; or a pass-through into a buffer's output.
// Shut-down declines new messages, unlinks, waits for the running handler and drains the rest.
#include <algorithm>

#include "concurrency/detail/message_state.h"
#include "concurrency/detail/scheduler_engine.h"

namespace Concurrency::detail {
namespace {

// Messages one task handles before it queues a follow-up, so other blocks of a narrow
// scheduler get their turn.
constexpr int kBatch = 32;

void run_handler(message_handler& handler, message_ptr message) noexcept {
  try {
    handler.handle(*message);
  } catch (...) {
    // A handler's exception has no receiver: the message is dropped, the block goes on.
  }
}

void schedule(const std::shared_ptr<target_state>& state);

// One processing task: takes the processor token unless someone holds it, handles a batch.
void process_batch(const std::shared_ptr<target_state>& state) {
  std::unique_lock lock(state->mutex);
  if (state->busy || state->queue.empty()) {
    state->scheduled = false;
    return;
  }
  state->busy = true;
  for (int handled = 0; handled < kBatch && !state->queue.empty(); ++handled) {
    message_ptr message = std::move(state->queue.front());
    state->queue.pop_front();
    lock.unlock();
    run_handler(*state->handler, std::move(message));
    lock.lock();
  }
  state->busy = false;
  const bool more = !state->queue.empty() && !state->closed;
  state->scheduled = more;
  state->idle.notify_all();
  lock.unlock();
  if (more) schedule(state);
}

void schedule(const std::shared_ptr<target_state>& state) {
  state->engine->enqueue([state] { process_batch(state); });
}

std::shared_ptr<target_state> make_state(scheduler_engine& engine, message_handler* handler, source_core* passThrough) {
  auto state = std::make_shared<target_state>();
  state->handler = handler;
  state->pass_through = passThrough;
  state->engine = &engine;
  engine.add_reference();
  return state;
}

}  // namespace

target_core::target_core(message_handler& handler) : state_(make_state(current_engine(), &handler, nullptr)) {}

target_core::target_core(Scheduler& scheduler, message_handler& handler)
    : state_(make_state(scheduler.engine(), &handler, nullptr)) {}

// A buffer runs no work, so it needs no scheduler of the thread's: the default one is referenced.
target_core::target_core(source_core& passThrough) : state_(make_state(default_engine(), nullptr, &passThrough)) {}

target_core::~target_core() {
  shut_down();
  state_->engine->drop_reference();
}

bool target_core::offer(message_ptr& message) {
  std::unique_lock lock(state_->mutex);
  if (state_->closed) return false;
  if (state_->pass_through != nullptr) {
    state_->pass_through->post(std::move(message));
    return true;
  }
  state_->queue.push_back(std::move(message));
  const bool start = !state_->scheduled;
  state_->scheduled = true;
  lock.unlock();
  if (start) schedule(state_);
  return true;
}

void target_core::shut_down() {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->closed) return;
    state_->closed = true;
  }
  {
    std::lock_guard links(link_mutex());
    for (source_state* source : state_->sources) {
      std::lock_guard lock(source->mutex);
      std::erase(source->targets, this);
    }
    state_->sources.clear();
  }
  if (state_->handler == nullptr) return;
  std::unique_lock lock(state_->mutex);
  state_->idle.wait(lock, [this] { return !state_->busy; });
  state_->busy = true;
  std::deque<message_ptr> rest;
  rest.swap(state_->queue);
  lock.unlock();
  if (!rest.empty()) {
    state_->engine->execute([&] {
      for (message_ptr& message : rest) run_handler(*state_->handler, std::move(message));
    });
  }
  lock.lock();
  state_->busy = false;
}

}  // namespace Concurrency::detail

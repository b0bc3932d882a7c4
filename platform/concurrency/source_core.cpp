// Output side of message blocks: offers each message to the linked targets in link order and
// keeps it when none takes it, so that order holds for receive and for targets linked later.
// Thread-safe; offering happens under the source's mutex so messages leave in the order posted.
#include <algorithm>

#include "concurrency/detail/message_state.h"

namespace Concurrency::detail {
namespace {

// Source mutex held.
bool offer_to_targets(source_state& state, message_ptr& message) {
  for (target_core* target : state.targets) {
    if (target->offer(message)) return true;
  }
  return false;
}

// Source mutex held.
void flush_kept(source_state& state) {
  while (!state.kept.empty() && offer_to_targets(state, state.kept.front())) state.kept.pop_front();
}

// Link mutex and source mutex held.
void forget_link(source_state& source, target_core& target) {
  std::erase(source.targets, &target);
  std::erase(target.state().sources, &source);
}

}  // namespace

std::mutex& link_mutex() {
  static std::mutex mutex;
  return mutex;
}

source_core::source_core() : state_(std::make_unique<source_state>()) {}

source_core::~source_core() { shut_down(); }

void source_core::post(message_ptr message) {
  std::lock_guard lock(state_->mutex);
  if (state_->kept.empty() && offer_to_targets(*state_, message)) return;
  state_->kept.push_back(std::move(message));
  state_->available.notify_one();
}

void source_core::link(target_core& target) {
  std::lock_guard links(link_mutex());
  std::lock_guard lock(state_->mutex);
  if (std::find(state_->targets.begin(), state_->targets.end(), &target) != state_->targets.end()) return;
  state_->targets.push_back(&target);
  target.state().sources.push_back(state_.get());
  flush_kept(*state_);
}

void source_core::unlink(target_core& target) {
  std::lock_guard links(link_mutex());
  std::lock_guard lock(state_->mutex);
  forget_link(*state_, target);
}

void source_core::unlink_all() {
  std::lock_guard links(link_mutex());
  std::lock_guard lock(state_->mutex);
  while (!state_->targets.empty()) forget_link(*state_, *state_->targets.back());
}

message_ptr source_core::take() {
  std::unique_lock lock(state_->mutex);
  state_->available.wait(lock, [this] { return !state_->kept.empty(); });
  message_ptr message = std::move(state_->kept.front());
  state_->kept.pop_front();
  return message;
}

message_ptr source_core::try_take() {
  std::lock_guard lock(state_->mutex);
  if (state_->kept.empty()) return nullptr;
  message_ptr message = std::move(state_->kept.front());
  state_->kept.pop_front();
  return message;
}

void source_core::shut_down() {
  unlink_all();
  std::deque<message_ptr> leftovers;
  {
    std::lock_guard lock(state_->mutex);
    leftovers.swap(state_->kept);
  }
}

}  // namespace Concurrency::detail

// Agents: run() on a thread of the agent's own, the status machine created -> runnable ->
// started -> done | canceled, and waiters released when it ends by done(), return or exception.
// The agent's thread leaves behind no attached scheduler (thread exit releases them).
#include "agents.h"

namespace Concurrency {

agent::agent() = default;

agent::~agent() {
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();  // an agent freed by its own run(): nothing left to wait for
  } else {
    thread_.join();
  }
}

agent_status agent::status() const {
  std::lock_guard lock(mutex_);
  return status_;
}

std::exception_ptr agent::failure() const {
  std::lock_guard lock(mutex_);
  return failure_;
}

bool agent::start() {
  std::lock_guard lock(mutex_);
  if (status_ != agent_created) return false;
  status_ = agent_runnable;
  try {
    thread_ = std::thread(&agent::thread_main, this);
  } catch (...) {
    status_ = agent_created;
    throw;
  }
  return true;
}

bool agent::cancel() {
  std::lock_guard lock(mutex_);
  if (status_ != agent_created && status_ != agent_runnable) return false;
  status_ = agent_canceled;
  finished_.notify_all();
  return true;
}

bool agent::done() { return finish(agent_done, nullptr); }

bool agent::finish(agent_status final, std::exception_ptr error) {
  std::lock_guard lock(mutex_);
  if (error && !failure_) failure_ = error;
  if (status_ == agent_done || status_ == agent_canceled) return false;
  status_ = final;
  finished_.notify_all();
  return true;
}

void agent::thread_main() {
  {
    std::lock_guard lock(mutex_);
    if (status_ == agent_canceled) return;
    status_ = agent_started;
  }
  try {
    run();
    finish(agent_done, nullptr);
  } catch (...) {
    finish(agent_canceled, std::current_exception());
  }
}

agent_status agent::wait(agent* target) {
  if (target == nullptr) throw invalid_operation("agent::wait: no agent");
  std::unique_lock lock(target->mutex_);
  target->finished_.wait(lock, [target] { return target->status_ == agent_done || target->status_ == agent_canceled; });
  return target->status_;
}

void agent::wait_for_all(std::size_t count, agent** agents, agent_status* statuses) {
  for (std::size_t i = 0; i < count; ++i) {
    const agent_status final = wait(agents[i]);
    if (statuses != nullptr) statuses[i] = final;
  }
}

}  // namespace Concurrency

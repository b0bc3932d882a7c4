// Agents and message blocks of the concurrency runtime: agent, unbounded_buffer, transformer, call,
// linking, send / asend / receive / try_receive.
// Handlers run on worker threads of the scheduler current where the block was made, one message
// at a time in arrival order; an exception leaving a handler drops that message (the block goes
// on). A handler must not wait for other work of its own scheduler (receive, event::wait): it
// holds one of the scheduler's threads meanwhile. Destroying a block: see each block's notes.
#pragma once

#include <exception>
#include <functional>
#include <thread>
#include <utility>

#include "concrt.h"
#include "zplatform/concrt/message_core.h"

namespace Concurrency {

enum agent_status { agent_created, agent_runnable, agent_started, agent_done, agent_canceled };

// An agent runs run() on a thread of its own, started by start(). run() ends the agent by calling
// done(); returning from run() counts as done() too. An exception leaving run() ends the agent
// as agent_canceled and is kept in failure(); waiters are released either way.
// A derived class must wait() for its agent before its own members go away.
class ZPLATFORM_API agent {
 public:
  agent();
  virtual ~agent();
  agent(const agent&) = delete;
  agent& operator=(const agent&) = delete;

  agent_status status() const;
  // Starts run() on a new thread; false unless the agent was just created.
  bool start();
  // Cancels an agent that has not started yet.
  bool cancel();
  // The exception that ended run(), or null.
  std::exception_ptr failure() const;

  // Blocks until the agent is done or canceled and returns that status.
  static agent_status wait(agent* target);
  static void wait_for_all(std::size_t count, agent** agents, agent_status* statuses = nullptr);

 protected:
  virtual void run() = 0;
  // Marks the agent finished; false when it already was.
  bool done();

 private:
  bool finish(agent_status final, std::exception_ptr error);
  void thread_main();

  mutable std::mutex mutex_;
  std::condition_variable finished_;
  agent_status status_ = agent_created;
  std::exception_ptr failure_;
  std::thread thread_;
};

// A block that messages of type T can be sent to.
template <class T>
class ITarget {
 public:
  using type = T;
  virtual ~ITarget() = default;
  virtual detail::target_core& input_core() noexcept = 0;
};

// A block that produces messages of type T, to linked targets or to receive / try_receive.
template <class T>
class ISource {
 public:
  using type = T;
  virtual ~ISource() = default;
  virtual detail::source_core& output_core() noexcept = 0;

  void link_target(ITarget<T>* target) { output_core().link(target->input_core()); }
  void unlink_target(ITarget<T>* target) { output_core().unlink(target->input_core()); }
  void unlink_targets() { output_core().unlink_all(); }
};

// Queues any number of messages and hands them, in order, to the first linked target or to
// receive. Destroying it drops its links and destroys the messages it still holds.
template <class T>
class unbounded_buffer final : public ITarget<T>, public ISource<T> {
 public:
  unbounded_buffer() : input_(output_) {}
  ~unbounded_buffer() override {
    input_.shut_down();
    output_.shut_down();
  }

  bool enqueue(const T& item) {
    auto message = detail::make_message<T>(item);
    return input_.offer(message);
  }
  T dequeue() { return std::move(detail::message_value<T>(*output_.take())); }

  detail::target_core& input_core() noexcept override { return input_; }
  detail::source_core& output_core() noexcept override { return output_; }

 private:
  detail::source_core output_;
  detail::target_core input_;
};

// Applies a function to each message, one at a time in arrival order, on worker threads, and
// passes the result to its linked target (or keeps it for receive). Destroying it declines new
// messages, waits for a running function, runs the function for the messages still queued (on
// the destroying thread), then drops its links; results nobody took are destroyed.
template <class In, class Out>
class transformer final : public ITarget<In>, public ISource<Out>, private detail::message_handler {
 public:
  using function_type = std::function<Out(const In&)>;

  explicit transformer(function_type function, ITarget<Out>* target = nullptr)
      : function_(std::move(function)), input_(*this) {
    if (target != nullptr) this->link_target(target);
  }
  transformer(Scheduler& scheduler, function_type function, ITarget<Out>* target = nullptr)
      : function_(std::move(function)), input_(scheduler, *this) {
    if (target != nullptr) this->link_target(target);
  }
  ~transformer() override {
    input_.shut_down();
    output_.shut_down();
  }

  detail::target_core& input_core() noexcept override { return input_; }
  detail::source_core& output_core() noexcept override { return output_; }

 private:
  void handle(detail::erased_message& message) override {
    output_.post(detail::make_message<Out>(function_(detail::message_value<In>(message))));
  }

  function_type function_;
  detail::source_core output_;
  detail::target_core input_;
};

// Calls a function for each message, one at a time in arrival order, on worker threads.
// Destroying it declines new messages, waits for a running call and then makes the calls for the
// messages still queued, in order, on the destroying thread.
template <class T>
class call final : public ITarget<T>, private detail::message_handler {
 public:
  using function_type = std::function<void(const T&)>;

  explicit call(function_type function) : function_(std::move(function)), input_(*this) {}
  call(Scheduler& scheduler, function_type function) : function_(std::move(function)), input_(scheduler, *this) {}
  ~call() override { input_.shut_down(); }

  detail::target_core& input_core() noexcept override { return input_; }

 private:
  void handle(detail::erased_message& message) override { function_(detail::message_value<T>(message)); }

  function_type function_;
  detail::target_core input_;
};

// Hands a message to a target. Every block here accepts at once (its queue is unbounded), so
// both return true as soon as the message is queued, or false when the target is shutting down.
template <class T>
bool send(ITarget<T>& target, const T& data) {
  auto message = detail::make_message<T>(data);
  return target.input_core().offer(message);
}
template <class T>
bool send(ITarget<T>* target, const T& data) {
  return send(*target, data);
}
template <class T>
bool asend(ITarget<T>& target, const T& data) {
  return send(target, data);
}
template <class T>
bool asend(ITarget<T>* target, const T& data) {
  return send(*target, data);
}

// Blocks until the source has a message and takes it.
template <class T>
T receive(ISource<T>& source) {
  return std::move(detail::message_value<T>(*source.output_core().take()));
}
template <class T>
T receive(ISource<T>* source) {
  return receive(*source);
}

// Takes a message when one is there; false otherwise.
template <class T>
bool try_receive(ISource<T>& source, T& value) {
  detail::message_ptr message = source.output_core().try_take();
  if (!message) return false;
  value = std::move(detail::message_value<T>(*message));
  return true;
}
template <class T>
bool try_receive(ISource<T>* source, T& value) {
  return try_receive(*source, value);
}

}  // namespace Concurrency

// Concurrency runtime core: schedulers with a concurrency limit, the per-thread scheduler stack,
// the manual-reset event and the runtime's exceptions, in namespace Concurrency.
// All calls are thread-safe. Work started from a thread runs within its current scheduler's limit.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>

#include "zplatform/api.h"

namespace Concurrency {

inline constexpr unsigned int COOPERATIVE_TIMEOUT_INFINITE = 0xFFFFFFFFu;
inline constexpr std::size_t COOPERATIVE_WAIT_TIMEOUT = static_cast<std::size_t>(-1);
// A MaxConcurrency of this value means "as many as the machine has hardware threads".
inline constexpr unsigned int MaxExecutionResources = 0xFFFFFFFFu;

// Misuse of the runtime is reported by these exceptions; what() names the problem.
class ZPLATFORM_API concurrency_exception : public std::exception {
 public:
  explicit concurrency_exception(const char* message) noexcept;
  const char* what() const noexcept override;

 private:
  const char* message_;  // static text
};

#define ZPLATFORM_CONCRT_EXCEPTION(name)                                            \
  class ZPLATFORM_API name : public concurrency_exception {                         \
   public:                                                                          \
    explicit name(const char* message = #name) noexcept : concurrency_exception(message) {} \
  }

ZPLATFORM_CONCRT_EXCEPTION(invalid_scheduler_policy_key);
ZPLATFORM_CONCRT_EXCEPTION(invalid_scheduler_policy_value);
ZPLATFORM_CONCRT_EXCEPTION(invalid_scheduler_policy_thread_specification);
ZPLATFORM_CONCRT_EXCEPTION(scheduler_not_attached);
ZPLATFORM_CONCRT_EXCEPTION(improper_scheduler_detach);
ZPLATFORM_CONCRT_EXCEPTION(improper_scheduler_attach);
ZPLATFORM_CONCRT_EXCEPTION(invalid_operation);
#undef ZPLATFORM_CONCRT_EXCEPTION

enum PolicyElementKey {
  SchedulerKind,
  MaxConcurrency,
  MinConcurrency,
  TargetOversubscriptionFactor,
  LocalContextCacheSize,
  ContextStackSize,
  ContextPriority,
  SchedulingProtocol,
  DynamicProgressFeedback,
  WinRTInitialization,
  MaxPolicyElementKey
};

// Values of the policy keys. Only MinConcurrency and MaxConcurrency change how work runs
// (MaxConcurrency bounds the threads that run a scheduler's work at once); the other keys are
// kept so that code setting them keeps working.
class ZPLATFORM_API SchedulerPolicy {
 public:
  SchedulerPolicy();
  // count (key, value) pairs follow, each a PolicyElementKey and an unsigned int.
  // Throws invalid_scheduler_policy_key / _value / _thread_specification on bad input.
  SchedulerPolicy(std::size_t count, ...);

  unsigned int GetPolicyValue(PolicyElementKey key) const;
  // Returns the previous value.
  unsigned int SetPolicyValue(PolicyElementKey key, unsigned int value);
  void SetConcurrencyLimits(unsigned int minConcurrency, unsigned int maxConcurrency = MaxExecutionResources);

  // MaxConcurrency with MaxExecutionResources replaced by the machine's hardware thread count.
  unsigned int EffectiveMaxConcurrency() const;

 private:
  void Validate() const;

  unsigned int values_[MaxPolicyElementKey];
};

namespace detail {
struct scheduler_engine;
}

// A scheduler: a pool of at most MaxConcurrency threads that run the work given to it.
// Reference counted: Create returns one reference, Attach adds one, Detach/Release drop one.
// The scheduler goes away when the last reference is dropped and no work of it is left.
class ZPLATFORM_API Scheduler {
 public:
  static Scheduler* Create(const SchedulerPolicy& policy);

  unsigned int Id() const;
  unsigned int GetNumberOfVirtualProcessors() const;
  SchedulerPolicy GetPolicy() const;
  unsigned int Reference();
  unsigned int Release();
  // Makes this scheduler the calling thread's current one (pushed on the thread's stack).
  void Attach();

  Scheduler(const Scheduler&) = delete;
  Scheduler& operator=(const Scheduler&) = delete;

  detail::scheduler_engine& engine() const noexcept { return *engine_; }

 private:
  friend struct detail::scheduler_engine;
  explicit Scheduler(detail::scheduler_engine* engine) noexcept : engine_(engine) {}
  ~Scheduler() = default;

  detail::scheduler_engine* engine_;  // owned; freed by the engine when the last reference goes
};

// The calling thread's view of its scheduler stack. Without an attached scheduler, work runs on
// the process's default scheduler (MaxConcurrency = hardware threads).
class ZPLATFORM_API CurrentScheduler {
 public:
  // Creates a scheduler with the policy and attaches it to the calling thread.
  static void Create(const SchedulerPolicy& policy);
  // Pops the scheduler attached last; the previous one becomes current again.
  // Throws scheduler_not_attached when the thread attached none.
  static void Detach();
  // The scheduler work started from this thread runs on (no reference is added).
  static Scheduler* Get();
  static unsigned int Id();
  static SchedulerPolicy GetPolicy();
  static unsigned int GetNumberOfVirtualProcessors();
};

// Manual-reset event: set() releases every current and future waiter until reset().
// wait() blocks the calling thread (also a worker thread of a scheduler, which is then not
// available to other work meanwhile).
class ZPLATFORM_API event {
 public:
  static constexpr unsigned int timeout_infinite = COOPERATIVE_TIMEOUT_INFINITE;

  event();
  ~event();
  event(const event&) = delete;
  event& operator=(const event&) = delete;

  // Returns 0 once the event is set, COOPERATIVE_WAIT_TIMEOUT when timeoutMs ran out first.
  std::size_t wait(unsigned int timeoutMs = COOPERATIVE_TIMEOUT_INFINITE);
  void set();
  void reset();

 private:
  std::mutex mutex_;
  std::condition_variable signalled_;
  bool isSet_ = false;
};

}  // namespace Concurrency

namespace concurrency = Concurrency;

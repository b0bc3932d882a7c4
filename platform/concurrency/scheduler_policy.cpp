// Scheduler policies: the key/value table with the runtime's defaults, the (count, key, value...)
// constructor and the checks that reject unknown keys and impossible concurrency limits.
// Failures throw invalid_scheduler_policy_key, _value or _thread_specification.
#include <algorithm>
#include <cstdarg>

#include <oneapi/tbb/info.h>

#include "concrt.h"

namespace Concurrency {
namespace {

unsigned int hardware_threads() {
  static const unsigned int count = static_cast<unsigned int>(std::max(1, oneapi::tbb::info::default_concurrency()));
  return count;
}

unsigned int resolve(unsigned int value) { return value == MaxExecutionResources ? hardware_threads() : value; }

void check_key(PolicyElementKey key) {
  if (key < SchedulerKind || key >= MaxPolicyElementKey) throw invalid_scheduler_policy_key();
}

}  // namespace

concurrency_exception::concurrency_exception(const char* message) noexcept : message_(message) {}
const char* concurrency_exception::what() const noexcept { return message_; }

SchedulerPolicy::SchedulerPolicy() : values_{} {
  values_[MaxConcurrency] = MaxExecutionResources;
  values_[MinConcurrency] = 1;
  values_[TargetOversubscriptionFactor] = 1;
  values_[LocalContextCacheSize] = 8;
}

SchedulerPolicy::SchedulerPolicy(std::size_t count, ...) : SchedulerPolicy() {
  va_list pairs;
  va_start(pairs, count);
  try {
    for (std::size_t i = 0; i < count; ++i) {
      const auto key = static_cast<PolicyElementKey>(va_arg(pairs, int));
      const unsigned int value = va_arg(pairs, unsigned int);
      check_key(key);
      values_[key] = value;
    }
  } catch (...) {
    va_end(pairs);
    throw;
  }
  va_end(pairs);
  Validate();
}

unsigned int SchedulerPolicy::GetPolicyValue(PolicyElementKey key) const {
  check_key(key);
  return values_[key];
}

unsigned int SchedulerPolicy::SetPolicyValue(PolicyElementKey key, unsigned int value) {
  check_key(key);
  const unsigned int previous = values_[key];
  values_[key] = value;
  try {
    Validate();
  } catch (...) {
    values_[key] = previous;
    throw;
  }
  return previous;
}

void SchedulerPolicy::SetConcurrencyLimits(unsigned int minConcurrency, unsigned int maxConcurrency) {
  const SchedulerPolicy before = *this;
  values_[MinConcurrency] = minConcurrency;
  values_[MaxConcurrency] = maxConcurrency;
  try {
    Validate();
  } catch (...) {
    *this = before;
    throw;
  }
}

unsigned int SchedulerPolicy::EffectiveMaxConcurrency() const { return resolve(values_[MaxConcurrency]); }

void SchedulerPolicy::Validate() const {
  if (values_[MaxConcurrency] == 0 || values_[TargetOversubscriptionFactor] == 0) throw invalid_scheduler_policy_value();
  if (resolve(values_[MinConcurrency]) > resolve(values_[MaxConcurrency])) {
    throw invalid_scheduler_policy_thread_specification();
  }
}

}  // namespace Concurrency

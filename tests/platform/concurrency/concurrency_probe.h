// Test instruments for the concurrency runtime: a counter of simultaneously running bodies with
// its peak, a countdown to wait for N events, and a rendezvous that proves N bodies overlap.
// Waits carry a generous deadline only to turn a hang into a failure, never to synchronise.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

namespace concurrency_test {

inline constexpr auto kHangDeadline = std::chrono::seconds(20);

// Counts bodies running at once; stay() keeps a body inside long enough to overlap with others.
class PeakCounter {
 public:
  void enter() {
    const int now = ++active_;
    int seen = peak_.load();
    while (now > seen && !peak_.compare_exchange_weak(seen, now)) {
    }
  }
  void leave() { --active_; }
  static void stay() {
    for (int i = 0; i < 20; ++i) std::this_thread::yield();
  }
  int peak() const { return peak_.load(); }

 private:
  std::atomic<int> active_{0};
  std::atomic<int> peak_{0};
};

// Scoped enter/stay/leave.
class Occupy {
 public:
  explicit Occupy(PeakCounter& counter) : counter_(counter) {
    counter_.enter();
    PeakCounter::stay();
  }
  ~Occupy() { counter_.leave(); }

 private:
  PeakCounter& counter_;
};

class Countdown {
 public:
  explicit Countdown(std::size_t count) : left_(count) {}
  void arrive() {
    std::lock_guard lock(mutex_);
    if (left_ > 0 && --left_ == 0) zero_.notify_all();
  }
  // True when the count reached zero before the hang deadline.
  bool wait() {
    std::unique_lock lock(mutex_);
    return zero_.wait_for(lock, kHangDeadline, [this] { return left_ == 0; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable zero_;
  std::size_t left_;
};

// Each of n parties arrives and waits until all n are there: succeeds only if n run at once.
class Rendezvous {
 public:
  explicit Rendezvous(std::size_t parties) : parties_(parties) {}
  bool arrive_and_wait() {
    std::unique_lock lock(mutex_);
    if (++arrived_ == parties_) all_.notify_all();
    return all_.wait_for(lock, kHangDeadline, [this] { return arrived_ >= parties_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable all_;
  std::size_t parties_;
  std::size_t arrived_ = 0;
};

// Opens once; bodies wait on it.
class Gate {
 public:
  void open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    opened_.notify_all();
  }
  bool wait() {
    std::unique_lock lock(mutex_);
    return opened_.wait_for(lock, kHangDeadline, [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

}  // namespace concurrency_test

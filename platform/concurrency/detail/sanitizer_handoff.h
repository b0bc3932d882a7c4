// Tells the thread sanitizer about the hand-offs that oneTBB makes inside its uninstrumented
// library (a task queued on one thread runs on another; a loop's chunks finish before it returns).
// Compiles to nothing in other builds.
#pragma once

#include "concurrency/detail/internal_only.h"

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace Concurrency::detail {

#if defined(__SANITIZE_THREAD__)
inline char g_handoff_token;
// What this thread did so far is visible to the thread that next calls handoff_receive().
inline void handoff_publish() {
  __tsan_acquire(&g_handoff_token);
  __tsan_release(&g_handoff_token);
}
inline void handoff_receive() { __tsan_acquire(&g_handoff_token); }
#else
inline void handoff_publish() {}
inline void handoff_receive() {}
#endif

}  // namespace Concurrency::detail

// Under the thread sanitizer, points it at tsan.supp beside this file (oneTBB's uninstrumented
// task hand-offs); other builds get nothing from this file.
#if defined(__SANITIZE_THREAD__)
extern "C" __attribute__((visibility("default"))) const char* __tsan_default_options() {
  return "suppressions=" ZORVEL_SOURCE_DIR "/tests/platform/concurrency/tsan.supp";
}
#endif

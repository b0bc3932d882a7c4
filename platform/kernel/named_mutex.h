// Mutex state shared by every handle of one mutex in this process: recursive ownership by a
// thread, and for a named mutex a lock file (flock) that extends it to other processes.
// A holder that ends without releasing (thread exit, process death) makes the next wait
// return WAIT_ABANDONED, which counts as acquired. Thread-safe.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "windows.h"

namespace zplatform::kernel {

class MutexState : public std::enable_shared_from_this<MutexState> {
 public:
  MutexState() = default;               // unnamed: this process only
  explicit MutexState(int lockFd);      // named: takes ownership of the lock file descriptor
  ~MutexState();
  MutexState(const MutexState&) = delete;
  MutexState& operator=(const MutexState&) = delete;

  DWORD Acquire(DWORD milliseconds);    // WAIT_OBJECT_0, WAIT_ABANDONED or WAIT_TIMEOUT
  bool Release();                       // false (ERROR_NOT_OWNER) when the caller does not own it
  void AbandonBy(pid_t thread);         // the owning thread ends

  pid_t creatorProcess() const { return creatorProcess_; }

 private:
  bool LockFileUntil(DWORD milliseconds);
  bool TakeFileMarker();                // true when a previous holder left its marker (died holding)
  void GiveUp();                        // undo the in-process claim after a file-lock timeout

  std::mutex mutex_;
  std::condition_variable released_;
  pid_t owner_ = 0;                     // owning thread id; 0 when free
  unsigned recursion_ = 0;
  bool abandoned_ = false;              // unnamed mutexes: the last owner ended holding it
  int lockFd_ = -1;                     // named mutexes: flock'ed while owned, holds the owner marker
  pid_t creatorProcess_ = 0;            // a child after fork() must not share this state
};

// The state of a named mutex for this process, creating the lock file when needed.
// `existed` tells whether any process already had the name open.
std::shared_ptr<MutexState> OpenNamedMutexState(std::u16string_view name, bool createIfMissing, bool& existed);

}  // namespace zplatform::kernel

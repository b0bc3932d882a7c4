// Named and unnamed mutexes: CreateMutexW, OpenMutexW, ReleaseMutex and waiting on them.
// Cross-process exclusion is an flock on a per-name lock file in a per-user directory; the
// file holds the owner's pid while owned, so a holder that died is recognised by the next one.
#include "named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "kernel_object.h"
#include "wide_text.h"

namespace zplatform::kernel {
namespace {

using Clock = std::chrono::steady_clock;

pid_t CurrentThread() { return static_cast<pid_t>(::gettid()); }

// Mutexes the current thread owns; whatever is still owned when the thread ends is abandoned.
struct ThreadOwnership {
  std::vector<std::shared_ptr<MutexState>> owned;
  ~ThreadOwnership() {
    const pid_t self = CurrentThread();
    for (auto& state : owned) state->AbandonBy(self);
  }
};
thread_local ThreadOwnership t_ownership;

void NoteOwned(std::shared_ptr<MutexState> state) { t_ownership.owned.push_back(std::move(state)); }

void NoteReleased(const MutexState* state) {
  auto& owned = t_ownership.owned;
  for (auto it = owned.begin(); it != owned.end(); ++it) {
    if (it->get() == state) {
      owned.erase(it);
      return;
    }
  }
}

std::string LockDirectory() {
  static const std::string directory = [] {
    struct stat info {};
    std::string base = ::stat("/dev/shm", &info) == 0 && S_ISDIR(info.st_mode) && ::access("/dev/shm", W_OK) == 0
                           ? "/dev/shm"
                           : "/tmp";
    std::string dir = base + "/zorvel-mutex-" + std::to_string(::getuid());
    ::mkdir(dir.c_str(), 0700);
    return dir;
  }();
  return directory;
}

// The lock file name: the mutex name's UTF-8 bytes with anything outside [A-Za-z0-9._-]
// percent-encoded; very long names are cut and completed with a 64-bit FNV-1a hash.
std::string LockFileName(std::u16string_view name) {
  static const char hex[] = "0123456789ABCDEF";
  std::string encoded = "m_";
  for (unsigned char c : Utf16ToUtf8(name)) {
    if (std::isalnum(c) || c == '.' || c == '_' || c == '-') {
      encoded.push_back(static_cast<char>(c));
    } else {
      encoded += {'%', hex[c >> 4], hex[c & 15]};
    }
  }
  if (encoded.size() <= 200) return encoded;
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : encoded) hash = (hash ^ c) * 1099511628211ull;
  return encoded.substr(0, 180) + "#" + std::to_string(hash);
}

// Every process with the name open holds a shared OFD lock on byte 1 of the lock file (ownership
// uses flock, which does not interact with these), so "does the name exist" can be asked.
constexpr off_t kPresenceByte = 1;

bool OtherProcessHasName(int fd) {
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = kPresenceByte;
  probe.l_len = 1;
  return ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

void MarkPresence(int fd) {
  struct flock presence {};
  presence.l_type = F_RDLCK;
  presence.l_whence = SEEK_SET;
  presence.l_start = kPresenceByte;
  presence.l_len = 1;
  ::fcntl(fd, F_OFD_SETLK, &presence);
}

struct NamedRegistry {
  std::mutex mutex;
  std::map<std::u16string, std::weak_ptr<MutexState>> states;
};

NamedRegistry& Registry() {
  static auto* registry = new NamedRegistry;  // outlives thread-exit abandonment during shutdown
  return *registry;
}

class MutexHandle final : public KernelObject {
 public:
  explicit MutexHandle(std::shared_ptr<MutexState> state) : state_(std::move(state)) {}
  DWORD Wait(DWORD milliseconds) override { return state_->Acquire(milliseconds); }
  MutexState& state() { return *state_; }

 private:
  std::shared_ptr<MutexState> state_;
};

}  // namespace

MutexState::MutexState(int lockFd) : lockFd_(lockFd), creatorProcess_(::getpid()) {}

MutexState::~MutexState() {
  if (lockFd_ >= 0) ::close(lockFd_);
}

DWORD MutexState::Acquire(DWORD milliseconds) {
  const pid_t self = CurrentThread();
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  std::unique_lock lock(mutex_);
  if (owner_ == self) {
    ++recursion_;
    return WAIT_OBJECT_0;
  }
  auto isFree = [this] { return owner_ == 0; };
  if (milliseconds == INFINITE) {
    released_.wait(lock, isFree);
  } else if (!released_.wait_until(lock, deadline, isFree)) {
    return WAIT_TIMEOUT;
  }
  owner_ = self;
  recursion_ = 1;
  bool abandoned = std::exchange(abandoned_, false);
  lock.unlock();
  if (lockFd_ >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (!LockFileUntil(milliseconds == INFINITE ? INFINITE : static_cast<DWORD>(std::max<long long>(left, 0)))) {
      GiveUp();
      return WAIT_TIMEOUT;
    }
    abandoned = TakeFileMarker();
  }
  NoteOwned(shared_from_this());
  return abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
}

bool MutexState::LockFileUntil(DWORD milliseconds) {
  if (milliseconds == INFINITE) {
    while (::flock(lockFd_, LOCK_EX) != 0) {
      if (errno != EINTR) return false;
    }
    return true;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

bool MutexState::TakeFileMarker() {
  char previous = 0;
  const bool leftBehind = ::pread(lockFd_, &previous, 1, 0) == 1 && previous != 0;
  const std::string marker = std::to_string(::getpid());
  if (::ftruncate(lockFd_, 0) == 0) {
    [[maybe_unused]] auto written = ::pwrite(lockFd_, marker.data(), marker.size(), 0);
  }
  return leftBehind;
}

void MutexState::GiveUp() {
  std::lock_guard lock(mutex_);
  owner_ = 0;
  recursion_ = 0;
  released_.notify_one();
}

bool MutexState::Release() {
  std::lock_guard lock(mutex_);
  if (owner_ != CurrentThread()) return false;
  if (--recursion_ > 0) return true;
  if (lockFd_ >= 0) {
    [[maybe_unused]] int cleared = ::ftruncate(lockFd_, 0);
    ::flock(lockFd_, LOCK_UN);
  }
  owner_ = 0;
  released_.notify_one();
  NoteReleased(this);
  return true;
}

void MutexState::AbandonBy(pid_t thread) {
  std::lock_guard lock(mutex_);
  if (owner_ != thread) return;
  if (lockFd_ >= 0) {
    ::flock(lockFd_, LOCK_UN);  // the marker stays: the next holder sees the abandonment
  } else {
    abandoned_ = true;
  }
  owner_ = 0;
  recursion_ = 0;
  released_.notify_one();
}

std::shared_ptr<MutexState> OpenNamedMutexState(std::u16string_view name, bool createIfMissing, bool& existed) {
  std::lock_guard lock(Registry().mutex);
  auto& slot = Registry().states[std::u16string(name)];
  if (auto state = slot.lock(); state && state->creatorProcess() == ::getpid()) {
    existed = true;
    return state;
  }
  const std::string path = LockDirectory() + "/" + LockFileName(name);
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (createIfMissing ? O_CREAT : 0), 0600);
  if (fd < 0) {
    SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ZPlatformWin32ErrorFromErrno(errno));
    return nullptr;
  }
  existed = OtherProcessHasName(fd);
  if (!existed && !createIfMissing) {
    ::close(fd);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  MarkPresence(fd);
  auto state = std::make_shared<MutexState>(fd);
  slot = state;
  return state;
}

}  // namespace zplatform::kernel

using namespace zplatform::kernel;

extern "C" ZPLATFORM_API HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCWSTR lpName) {
  bool existed = false;
  std::shared_ptr<MutexState> state;
  if (lpName && *lpName) {
    state = OpenNamedMutexState(lpName, true, existed);
    if (!state) return nullptr;
  } else {
    state = std::make_shared<MutexState>();
  }
  HANDLE handle = RegisterHandle(std::make_shared<MutexHandle>(state));
  if (bInitialOwner && !existed) state->Acquire(INFINITE);
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

extern "C" ZPLATFORM_API HANDLE OpenMutexW(DWORD, BOOL, LPCWSTR lpName) {
  if (lpName == nullptr || *lpName == u'\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  bool existed = false;
  auto state = OpenNamedMutexState(lpName, false, existed);
  return state ? RegisterHandle(std::make_shared<MutexHandle>(state)) : nullptr;
}

extern "C" ZPLATFORM_API BOOL ReleaseMutex(HANDLE hMutex) {
  auto handle = LookupHandleAs<MutexHandle>(hMutex);
  if (!handle) return FALSE;
  return handle->state().Release() ? TRUE : Fail(ERROR_NOT_OWNER);
}

// Events of this process: CreateEventW, SetEvent, ResetEvent and waiting on them.
// Manual-reset events stay signalled until reset; auto-reset events release one waiter.
// Names are shared within the process only. Thread-safe.
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

#include "kernel_object.h"
#include "wide_text.h"

namespace zplatform::kernel {
namespace {

struct EventState {
  EventState(bool manual, bool signalled) : manualReset(manual), isSignalled(signalled) {}
  std::mutex mutex;
  std::condition_variable changed;
  const bool manualReset;
  bool isSignalled;
};

class EventHandle final : public KernelObject {
 public:
  explicit EventHandle(std::shared_ptr<EventState> state) : state_(std::move(state)) {}

  DWORD Wait(DWORD milliseconds) override {
    std::unique_lock lock(state_->mutex);
    auto signalled = [this] { return state_->isSignalled; };
    if (milliseconds == INFINITE) {
      state_->changed.wait(lock, signalled);
    } else if (!state_->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), signalled)) {
      return WAIT_TIMEOUT;
    }
    if (!state_->manualReset) state_->isSignalled = false;
    return WAIT_OBJECT_0;
  }

  void Set(bool signalled) {
    std::lock_guard lock(state_->mutex);
    state_->isSignalled = signalled;
    if (!signalled) return;
    if (state_->manualReset) {
      state_->changed.notify_all();
    } else {
      state_->changed.notify_one();
    }
  }

 private:
  std::shared_ptr<EventState> state_;
};

struct NamedEvents {
  std::mutex mutex;
  std::map<std::u16string, std::weak_ptr<EventState>> states;
};

NamedEvents& Names() {
  static auto* names = new NamedEvents;
  return *names;
}

}  // namespace
}  // namespace zplatform::kernel

using namespace zplatform::kernel;

extern "C" ZPLATFORM_API HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState,
                                             LPCWSTR lpName) {
  std::shared_ptr<EventState> state;
  bool existed = false;
  if (lpName && *lpName) {
    std::lock_guard lock(Names().mutex);
    auto& slot = Names().states[std::u16string(lpName)];
    state = slot.lock();
    existed = state != nullptr;
    if (!state) slot = state = std::make_shared<EventState>(bManualReset != FALSE, bInitialState != FALSE);
  } else {
    state = std::make_shared<EventState>(bManualReset != FALSE, bInitialState != FALSE);
  }
  HANDLE handle = RegisterHandle(std::make_shared<EventHandle>(std::move(state)));
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

extern "C" ZPLATFORM_API BOOL SetEvent(HANDLE hEvent) {
  auto event = LookupHandleAs<EventHandle>(hEvent);
  if (!event) return FALSE;
  event->Set(true);
  return TRUE;
}

extern "C" ZPLATFORM_API BOOL ResetEvent(HANDLE hEvent) {
  auto event = LookupHandleAs<EventHandle>(hEvent);
  if (!event) return FALSE;
  event->Set(false);
  return TRUE;
}

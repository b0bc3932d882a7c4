// Kernel objects behind HANDLE values (files, find handles, mutexes, events) and the handle table.
// A handle is the object's address, valid only while the table holds it, so a stale or foreign
// handle fails with ERROR_INVALID_HANDLE instead of being dereferenced. Thread-safe.
#pragma once

#include <memory>

#include "windows.h"

namespace zplatform::kernel {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  // Waits for the object; WAIT_FAILED with the last error set when it cannot be waited for.
  virtual DWORD Wait(DWORD milliseconds);
  // Called by CloseHandle when the table lets go of the object.
  virtual void OnClose() {}
};

// Puts the object in the table and returns its handle.
HANDLE RegisterHandle(std::shared_ptr<KernelObject> object);
// The object behind a handle (null, with ERROR_INVALID_HANDLE, when there is none).
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);
// Removes the handle from the table; false (ERROR_INVALID_HANDLE) when it is not there.
bool UnregisterHandle(HANDLE handle);

// The object behind a handle when it is of type T, else null with ERROR_INVALID_HANDLE.
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
  auto object = std::dynamic_pointer_cast<T>(LookupHandle(handle));
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

// Sets the last error from errno and returns FALSE, for the common failure path.
BOOL FailFromErrno();
// Sets the given last error and returns FALSE.
BOOL Fail(DWORD error);

}  // namespace zplatform::kernel

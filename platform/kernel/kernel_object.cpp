// The handle table of the kernel stand-in and the last-error slot of each thread.
// The table maps a handle to a shared owner, so a call in progress keeps its object alive.
#include "kernel_object.h"

#include <cerrno>
#include <mutex>
#include <shared_mutex>
#include <unordered_map>

namespace zplatform::kernel {
namespace {

struct HandleTable {
  std::shared_mutex mutex;
  std::unordered_map<HANDLE, std::shared_ptr<KernelObject>> objects;
};

HandleTable& Table() {
  static auto* table = new HandleTable;  // never destroyed: handles may be closed during exit
  return *table;
}

thread_local DWORD t_lastError = 0;

}  // namespace

DWORD KernelObject::Wait(DWORD) {
  SetLastError(ERROR_INVALID_HANDLE);
  return WAIT_FAILED;
}

HANDLE RegisterHandle(std::shared_ptr<KernelObject> object) {
  HANDLE handle = object.get();
  std::unique_lock lock(Table().mutex);
  Table().objects.emplace(handle, std::move(object));
  return handle;
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
  std::shared_lock lock(Table().mutex);
  auto found = Table().objects.find(handle);
  if (found == Table().objects.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return found->second;
}

bool UnregisterHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> object;
  {
    std::unique_lock lock(Table().mutex);
    auto found = Table().objects.find(handle);
    if (found == Table().objects.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    object = std::move(found->second);
    Table().objects.erase(found);
  }
  object->OnClose();
  return true;
}

BOOL FailFromErrno() { return Fail(ZPlatformWin32ErrorFromErrno(errno)); }

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace zplatform::kernel

using namespace zplatform::kernel;

extern "C" ZPLATFORM_API DWORD GetLastError() { return t_lastError; }
extern "C" ZPLATFORM_API void SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }

extern "C" ZPLATFORM_API DWORD ZPlatformWin32ErrorFromErrno(int errnoValue) {
  switch (errnoValue) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EROFS: return ERROR_WRITE_PROTECT;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EBUSY:
    case ETXTBSY: return ERROR_BUSY;
    case EWOULDBLOCK: return ERROR_SHARING_VIOLATION;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOSYS:
    case EOPNOTSUPP: return ERROR_NOT_SUPPORTED;
    case EIO: return ERROR_IO_DEVICE;
    default: return ERROR_INVALID_FUNCTION;
  }
}

extern "C" ZPLATFORM_API BOOL CloseHandle(HANDLE hObject) {
  return UnregisterHandle(hObject) ? TRUE : FALSE;
}

extern "C" ZPLATFORM_API DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  auto object = LookupHandle(hHandle);
  return object ? object->Wait(dwMilliseconds) : WAIT_FAILED;
}

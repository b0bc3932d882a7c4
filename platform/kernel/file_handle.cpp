// Files behind HANDLE values: CreateFileW, reads and writes (plain, or positional through an
// OVERLAPPED, which completes before the call returns), file pointer, size, truncation.
// One descriptor per handle; positional I/O needs no lock, the file pointer is guarded per handle.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "kernel_object.h"
#include "wide_text.h"

namespace zplatform::kernel {
namespace {

class FileObject final : public KernelObject {
 public:
  FileObject(int fd, bool overlapped) : fd_(fd), overlapped_(overlapped) {}
  ~FileObject() override { ::close(fd_); }

  int fd() const { return fd_; }
  bool overlapped() const { return overlapped_; }
  std::mutex& pointerMutex() { return pointerMutex_; }
  LONGLONG position = 0;  // file pointer (plain handles only); guarded by pointerMutex()

 private:
  int fd_;
  bool overlapped_;
  std::mutex pointerMutex_;
};

int OpenFlags(DWORD access, DWORD disposition) {
  const bool read = access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA);
  const bool write = access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA);
  int flags = O_CLOEXEC | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
  switch (disposition) {
    case CREATE_NEW: return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS: return flags | O_CREAT | O_TRUNC;
    case OPEN_ALWAYS: return flags | O_CREAT;
    case TRUNCATE_EXISTING: return flags | O_TRUNC;
    default: return flags;
  }
}

// ENOENT means a missing file when the directory exists, else a missing path, as on Windows.
DWORD OpenError(const std::string& path) {
  if (errno != ENOENT) return ZPlatformWin32ErrorFromErrno(errno);
  const size_t cut = path.find_last_of('/');
  const std::string parent = cut == std::string::npos ? "." : cut == 0 ? "/" : path.substr(0, cut);
  struct stat info {};
  return ::stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

bool IsDirectory(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

LONGLONG OverlappedOffset(const OVERLAPPED& ov) {
  return static_cast<LONGLONG>((static_cast<ULONGLONG>(ov.u.s.OffsetHigh) << 32) | ov.u.s.Offset);
}

// Records the outcome in the OVERLAPPED and signals its event, as a completed operation does.
void Complete(OVERLAPPED& ov, ULONG_PTR status, size_t bytes) {
  ov.Internal = status;
  ov.InternalHigh = bytes;
  if (ov.hEvent) SetEvent(ov.hEvent);
}

// Transfers `size` bytes at `offset` (pread/pwrite loop: a short count means end of file).
template <class Io, class Buffer>
ssize_t TransferAt(Io io, int fd, Buffer buffer, size_t size, LONGLONG offset) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = io(fd, buffer + done, size - done, offset + static_cast<LONGLONG>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

ssize_t ReadAt(int fd, void* buffer, size_t size, LONGLONG offset) {
  return TransferAt(::pread, fd, static_cast<char*>(buffer), size, offset);
}

ssize_t WriteAt(int fd, const void* buffer, size_t size, LONGLONG offset) {
  return TransferAt(::pwrite, fd, static_cast<const char*>(buffer), size, offset);
}

// A read or write at an explicit offset: positional, completes now, fills the OVERLAPPED.
BOOL PositionalTransfer(FileObject& file, bool write, void* buffer, DWORD size, LPDWORD done, OVERLAPPED& ov) {
  const LONGLONG offset = OverlappedOffset(ov);
  ssize_t n = write ? WriteAt(file.fd(), buffer, size, offset) : ReadAt(file.fd(), buffer, size, offset);
  if (done) *done = n > 0 ? static_cast<DWORD>(n) : 0;
  if (n < 0) {
    const DWORD error = ZPlatformWin32ErrorFromErrno(errno);
    Complete(ov, error, 0);
    return Fail(error);
  }
  if (!file.overlapped()) {
    std::lock_guard lock(file.pointerMutex());
    file.position = offset + n;
  }
  if (!write && n == 0 && size > 0) {
    Complete(ov, STATUS_END_OF_FILE_VALUE, 0);
    return Fail(ERROR_HANDLE_EOF);
  }
  Complete(ov, STATUS_SUCCESS_VALUE, static_cast<size_t>(n));
  return TRUE;
}

// A read or write at the file pointer, which then moves past the bytes transferred.
BOOL PointerTransfer(FileObject& file, bool write, void* buffer, DWORD size, LPDWORD done) {
  std::lock_guard lock(file.pointerMutex());
  ssize_t n = write ? WriteAt(file.fd(), buffer, size, file.position) : ReadAt(file.fd(), buffer, size, file.position);
  if (n < 0) return FailFromErrno();
  file.position += n;
  *done = static_cast<DWORD>(n);
  return TRUE;
}

BOOL Transfer(HANDLE hFile, bool write, void* buffer, DWORD size, LPDWORD done, LPOVERLAPPED ov) {
  auto file = LookupHandleAs<FileObject>(hFile);
  if (!file) return FALSE;
  if (buffer == nullptr && size > 0) return Fail(ERROR_INVALID_PARAMETER);
  if (ov) return PositionalTransfer(*file, write, buffer, size, done, *ov);
  if (file->overlapped() || done == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  return PointerTransfer(*file, write, buffer, size, done);
}

}  // namespace
}  // namespace zplatform::kernel

using namespace zplatform::kernel;

extern "C" ZPLATFORM_API HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                                            DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  if (lpFileName == nullptr || *lpFileName == u'\0' || dwCreationDisposition < CREATE_NEW ||
      dwCreationDisposition > TRUNCATE_EXISTING) {
    SetLastError(lpFileName && *lpFileName ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const std::string path = NativePath(lpFileName);
  const bool existed = ::access(path.c_str(), F_OK) == 0;
  int fd = ::open(path.c_str(), OpenFlags(dwDesiredAccess, dwCreationDisposition), 0666);
  if (fd < 0) {
    SetLastError(OpenError(path));
    return INVALID_HANDLE_VALUE;
  }
  if (IsDirectory(fd) && !(dwFlagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS)) {
    ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  const bool reportsExisting = dwCreationDisposition == OPEN_ALWAYS || dwCreationDisposition == CREATE_ALWAYS;
  SetLastError(reportsExisting && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return RegisterHandle(std::make_shared<FileObject>(fd, (dwFlagsAndAttributes & FILE_FLAG_OVERLAPPED) != 0));
}

extern "C" ZPLATFORM_API BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                                      LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = 0;
  return Transfer(hFile, false, lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead, lpOverlapped);
}

extern "C" ZPLATFORM_API BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                       LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = 0;
  return Transfer(hFile, true, const_cast<void*>(lpBuffer), nNumberOfBytesToWrite, lpNumberOfBytesWritten,
                  lpOverlapped);
}

extern "C" ZPLATFORM_API BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped,
                                                  LPDWORD lpNumberOfBytesTransferred, BOOL) {
  if (!LookupHandleAs<FileObject>(hFile)) return FALSE;
  if (lpOverlapped == nullptr || lpNumberOfBytesTransferred == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  *lpNumberOfBytesTransferred = static_cast<DWORD>(lpOverlapped->InternalHigh);
  if (lpOverlapped->Internal == STATUS_END_OF_FILE_VALUE) return Fail(ERROR_HANDLE_EOF);
  if (lpOverlapped->Internal != STATUS_SUCCESS_VALUE) return Fail(static_cast<DWORD>(lpOverlapped->Internal));
  return TRUE;
}

extern "C" ZPLATFORM_API BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove,
                                              LARGE_INTEGER* lpNewFilePointer, DWORD dwMoveMethod) {
  auto file = LookupHandleAs<FileObject>(hFile);
  if (!file) return FALSE;
  std::lock_guard lock(file->pointerMutex());
  LONGLONG origin = 0;
  if (dwMoveMethod == FILE_CURRENT) {
    origin = file->position;
  } else if (dwMoveMethod == FILE_END) {
    struct stat info {};
    if (::fstat(file->fd(), &info) != 0) return FailFromErrno();
    origin = info.st_size;
  } else if (dwMoveMethod != FILE_BEGIN) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const LONGLONG target = origin + liDistanceToMove.QuadPart;
  if (target < 0) return Fail(ERROR_NEGATIVE_SEEK);
  file->position = target;
  if (lpNewFilePointer) lpNewFilePointer->QuadPart = target;
  return TRUE;
}

extern "C" ZPLATFORM_API BOOL GetFileSizeEx(HANDLE hFile, LARGE_INTEGER* lpFileSize) {
  auto file = LookupHandleAs<FileObject>(hFile);
  if (!file) return FALSE;
  if (lpFileSize == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  struct stat info {};
  if (::fstat(file->fd(), &info) != 0) return FailFromErrno();
  lpFileSize->QuadPart = info.st_size;
  return TRUE;
}

extern "C" ZPLATFORM_API BOOL SetEndOfFile(HANDLE hFile) {
  auto file = LookupHandleAs<FileObject>(hFile);
  if (!file) return FALSE;
  std::lock_guard lock(file->pointerMutex());
  return ::ftruncate(file->fd(), file->position) == 0 ? TRUE : FailFromErrno();
}

extern "C" ZPLATFORM_API BOOL FlushFileBuffers(HANDLE hFile) {
  auto file = LookupHandleAs<FileObject>(hFile);
  if (!file) return FALSE;
  return ::fsync(file->fd()) == 0 ? TRUE : FailFromErrno();
}

extern "C" ZPLATFORM_API DWORD GetFileAttributesW(LPCWSTR lpFileName) {
  struct stat info {};
  if (lpFileName == nullptr || ::stat(NativePath(lpFileName).c_str(), &info) != 0) {
    lpFileName ? FailFromErrno() : Fail(ERROR_INVALID_PARAMETER);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  return (info.st_mode & S_IWUSR) ? FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY;
}

extern "C" ZPLATFORM_API BOOL DeleteFileW(LPCWSTR lpFileName) {
  if (lpFileName == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  return ::unlink(NativePath(lpFileName).c_str()) == 0 ? TRUE : FailFromErrno();
}

extern "C" ZPLATFORM_API BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  if (lpPathName == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (::mkdir(NativePath(lpPathName).c_str(), 0777) == 0) return TRUE;
  return errno == EEXIST ? Fail(ERROR_ALREADY_EXISTS) : FailFromErrno();
}

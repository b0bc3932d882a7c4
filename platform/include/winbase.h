// Kernel services of the platform stand-in (files, directories, INI, paths, mutexes, times, memory).
// Windows names and layouts; wide text is UTF-16. Both '/' and '\' separate path parts.
// Thread-safe; failures return FALSE/0/INVALID_HANDLE_VALUE and set the thread's last error.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "stringapiset.h"
#include "winuser.h"

#define WINBASEAPI extern "C" ZPLATFORM_API

// Win32 error codes that the kernel calls set beside the ones of winerror.h.
#ifndef ERROR_TOO_MANY_OPEN_FILES
#define ERROR_TOO_MANY_OPEN_FILES 4L
#endif
#ifndef ERROR_OUTOFMEMORY
#define ERROR_OUTOFMEMORY 14L
#endif
#ifndef ERROR_WRITE_PROTECT
#define ERROR_WRITE_PROTECT 19L
#endif
#ifndef ERROR_SHARING_VIOLATION
#define ERROR_SHARING_VIOLATION 32L
#endif
#ifndef ERROR_NOT_SUPPORTED
#define ERROR_NOT_SUPPORTED 50L
#endif
#ifndef ERROR_FILE_EXISTS
#define ERROR_FILE_EXISTS 80L
#endif
#ifndef ERROR_DISK_FULL
#define ERROR_DISK_FULL 112L
#endif
#ifndef ERROR_INVALID_NAME
#define ERROR_INVALID_NAME 123L
#endif
#ifndef ERROR_NEGATIVE_SEEK
#define ERROR_NEGATIVE_SEEK 131L
#endif
#ifndef ERROR_DIR_NOT_EMPTY
#define ERROR_DIR_NOT_EMPTY 145L
#endif
#ifndef ERROR_BUSY
#define ERROR_BUSY 170L
#endif
#ifndef ERROR_FILENAME_EXCED_RANGE
#define ERROR_FILENAME_EXCED_RANGE 206L
#endif
#ifndef ERROR_ENVVAR_NOT_FOUND
#define ERROR_ENVVAR_NOT_FOUND 203L
#endif
#ifndef ERROR_NOT_OWNER
#define ERROR_NOT_OWNER 288L
#endif
#ifndef ERROR_MOD_NOT_FOUND
#define ERROR_MOD_NOT_FOUND 126L
#endif
#ifndef ERROR_IO_INCOMPLETE
#define ERROR_IO_INCOMPLETE 996L
#endif
#ifndef ERROR_IO_DEVICE
#define ERROR_IO_DEVICE 1117L
#endif
#ifndef ERROR_TIMEOUT
#define ERROR_TIMEOUT 1460L
#endif

// ---- Last error -------------------------------------------------------------------------------
WINBASEAPI DWORD GetLastError();
WINBASEAPI void SetLastError(DWORD dwErrCode);
// Not a Windows call: the Win32 error code the kernel calls use for an errno value.
WINBASEAPI DWORD ZPlatformWin32ErrorFromErrno(int errnoValue);

// ---- Handles and waiting ----------------------------------------------------------------------
struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_ABANDONED_0 WAIT_ABANDONED
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu

#define SYNCHRONIZE 0x00100000u
#define MUTEX_ALL_ACCESS 0x001F0001u
#define EVENT_ALL_ACCESS 0x001F0003u
#define EVENT_MODIFY_STATE 0x0002u

WINBASEAPI BOOL CloseHandle(HANDLE hObject);
// Mutexes (recursive per owning thread) and events; a mutex whose owner ended without releasing
// it is acquired with WAIT_ABANDONED.
WINBASEAPI DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

// Named mutexes are shared by every thread and process of the user that uses the same name
// (a lock file under /dev/shm, else /tmp). Names are case-sensitive, as on Windows.
WINBASEAPI HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCWSTR lpName);
WINBASEAPI HANDLE OpenMutexW(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCWSTR lpName);
WINBASEAPI BOOL ReleaseMutex(HANDLE hMutex);

// Events are process-local; a name is accepted and shared within the process.
WINBASEAPI HANDLE CreateEventW(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                               LPCWSTR lpName);
WINBASEAPI BOOL SetEvent(HANDLE hEvent);
WINBASEAPI BOOL ResetEvent(HANDLE hEvent);

// ---- Files -----------------------------------------------------------------------------------
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define GENERIC_EXECUTE 0x20000000u
#define GENERIC_ALL 0x10000000u
#define FILE_READ_DATA 0x0001u
#define FILE_WRITE_DATA 0x0002u
#define FILE_APPEND_DATA 0x0004u

#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define FILE_SHARE_DELETE 0x00000004u

#define CREATE_NEW 1u
#define CREATE_ALWAYS 2u
#define OPEN_EXISTING 3u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_ATTRIBUTE_TEMPORARY 0x00000100u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

#define FILE_FLAG_WRITE_THROUGH 0x80000000u
#define FILE_FLAG_OVERLAPPED 0x40000000u
#define FILE_FLAG_NO_BUFFERING 0x20000000u
#define FILE_FLAG_RANDOM_ACCESS 0x10000000u
#define FILE_FLAG_SEQUENTIAL_SCAN 0x08000000u
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u

#define FILE_BEGIN 0u
#define FILE_CURRENT 1u
#define FILE_END 2u
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu

// Status values left in OVERLAPPED::Internal by a completed read or write.
#define STATUS_SUCCESS_VALUE 0x00000000u
#define STATUS_END_OF_FILE_VALUE 0xC0000011u

struct OVERLAPPED {
  ULONG_PTR Internal;      // completion status (0, or an NTSTATUS such as STATUS_END_OF_FILE_VALUE)
  ULONG_PTR InternalHigh;  // bytes transferred
  union {
    struct {
      DWORD Offset;       // file position, low 32 bits
      DWORD OffsetHigh;   // file position, high 32 bits
    } s;
    PVOID Pointer;
  } u;
  HANDLE hEvent;  // set (signalled) when the operation completes; may be null
};
using LPOVERLAPPED = OVERLAPPED*;

// Share modes are accepted but not enforced (Linux has no mandatory sharing).
// A handle opened with FILE_FLAG_OVERLAPPED has no file pointer: every read or write needs an
// OVERLAPPED with its offset and completes before the call returns (positional I/O), signalling
// hEvent. Reads at or past the end with an OVERLAPPED fail with ERROR_HANDLE_EOF.
WINBASEAPI HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                              LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                              DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
WINBASEAPI BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                         LPOVERLAPPED lpOverlapped);
WINBASEAPI BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                          LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
WINBASEAPI BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED lpOverlapped, LPDWORD lpNumberOfBytesTransferred,
                                    BOOL bWait);
WINBASEAPI BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove, LARGE_INTEGER* lpNewFilePointer,
                                 DWORD dwMoveMethod);
WINBASEAPI BOOL GetFileSizeEx(HANDLE hFile, LARGE_INTEGER* lpFileSize);
WINBASEAPI BOOL SetEndOfFile(HANDLE hFile);
WINBASEAPI BOOL FlushFileBuffers(HANDLE hFile);
WINBASEAPI DWORD GetFileAttributesW(LPCWSTR lpFileName);
WINBASEAPI BOOL DeleteFileW(LPCWSTR lpFileName);
WINBASEAPI BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);

// ---- Directory enumeration ---------------------------------------------------------------------
struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

// The pattern's last part may hold '*' and '?' (matched without regard to case; "*.*" matches
// every name); entries come in the file system's order, "." and ".." included.
WINBASEAPI HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData);
WINBASEAPI BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData);
WINBASEAPI BOOL FindClose(HANDLE hFindFile);

// ---- Private profile (INI) files ----------------------------------------------------------------
// Sections and keys without regard to case; values trimmed and unquoted; lines starting with ';'
// are comments; the first of duplicate keys or sections wins; a missing file gives the default.
// UTF-8 (BOM optional) or UTF-16LE with BOM. The file is read at each call.
WINBASEAPI DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                          LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName);
WINBASEAPI UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName);

// ---- Paths, environment, command line ----------------------------------------------------------
// $TMPDIR, else /tmp, with a trailing '/'.
WINBASEAPI DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer);
WINBASEAPI DWORD GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer);
WINBASEAPI DWORD ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize);
WINBASEAPI DWORD GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize);
WINBASEAPI BOOL SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue);
// The process's arguments joined by blanks, quoted as a Windows command line would show them.
WINBASEAPI LPWSTR GetCommandLineW();

// ---- Modules -----------------------------------------------------------------------------------
#define GET_MODULE_HANDLE_EX_FLAG_PIN 0x00000001u
#define GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT 0x00000002u
#define GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS 0x00000004u

// A module handle is the load address of the shared object (or of the executable). Reference
// counts are never changed: every module stays loaded while its handle is used.
WINBASEAPI HMODULE GetModuleHandleW(LPCWSTR lpModuleName);
WINBASEAPI BOOL GetModuleHandleExW(DWORD dwFlags, LPCWSTR lpModuleName, HMODULE* phModule);
// Null module: the executable (/proc/self/exe). Truncates to nSize - 1 characters and sets
// ERROR_INSUFFICIENT_BUFFER when the path does not fit, returning nSize.
WINBASEAPI DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);
WINBASEAPI BOOL DisableThreadLibraryCalls(HMODULE hLibModule);

// ---- Processes and threads ---------------------------------------------------------------------
WINBASEAPI HANDLE GetCurrentProcess();
WINBASEAPI HANDLE GetCurrentThread();
WINBASEAPI DWORD GetCurrentProcessId();
WINBASEAPI DWORD GetCurrentThreadId();
WINBASEAPI BOOL GetProcessTimes(HANDLE hProcess, FILETIME* lpCreationTime, FILETIME* lpExitTime,
                                FILETIME* lpKernelTime, FILETIME* lpUserTime);
WINBASEAPI void Sleep(DWORD dwMilliseconds);

// ---- Time --------------------------------------------------------------------------------------
struct TIME_ZONE_INFORMATION {
  LONG Bias;
  WCHAR StandardName[32];
  SYSTEMTIME StandardDate;
  LONG StandardBias;
  WCHAR DaylightName[32];
  SYSTEMTIME DaylightDate;
  LONG DaylightBias;
};

WINBASEAPI void GetLocalTime(SYSTEMTIME* lpSystemTime);
WINBASEAPI void GetSystemTime(SYSTEMTIME* lpSystemTime);
WINBASEAPI void GetSystemTimeAsFileTime(FILETIME* lpSystemTimeAsFileTime);
WINBASEAPI BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime);
WINBASEAPI BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime);
// Like Windows, these two apply the local zone's current offset from UTC, whatever the date.
WINBASEAPI BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime);
WINBASEAPI BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, FILETIME* lpFileTime);
// These two apply the offset in force at the given time. Only the local zone (null) is supported.
WINBASEAPI BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation,
                                                const SYSTEMTIME* lpUniversalTime, SYSTEMTIME* lpLocalTime);
WINBASEAPI BOOL TzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation,
                                                const SYSTEMTIME* lpLocalTime, SYSTEMTIME* lpUniversalTime);
WINBASEAPI BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);
WINBASEAPI BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);
WINBASEAPI ULONGLONG GetTickCount64();
WINBASEAPI DWORD GetTickCount();

// ---- Memory, processors, version ---------------------------------------------------------------
struct MEMORYSTATUSEX {
  DWORD dwLength;  // must be sizeof(MEMORYSTATUSEX)
  DWORD dwMemoryLoad;
  DWORDLONG ullTotalPhys;
  DWORDLONG ullAvailPhys;  // MemAvailable of /proc/meminfo
  DWORDLONG ullTotalPageFile;
  DWORDLONG ullAvailPageFile;
  DWORDLONG ullTotalVirtual;
  DWORDLONG ullAvailVirtual;
  DWORDLONG ullAvailExtendedVirtual;
};
using LPMEMORYSTATUSEX = MEMORYSTATUSEX*;
WINBASEAPI BOOL GlobalMemoryStatusEx(LPMEMORYSTATUSEX lpBuffer);

#define PROCESSOR_ARCHITECTURE_AMD64 9
#define PROCESSOR_ARCHITECTURE_ARM64 12
#define PROCESSOR_ARCHITECTURE_UNKNOWN 0xFFFF

struct SYSTEM_INFO {
  WORD wProcessorArchitecture;
  WORD wReserved;
  DWORD dwPageSize;
  LPVOID lpMinimumApplicationAddress;
  LPVOID lpMaximumApplicationAddress;
  DWORD_PTR dwActiveProcessorMask;
  DWORD dwNumberOfProcessors;  // processors this process may run on
  DWORD dwProcessorType;
  DWORD dwAllocationGranularity;
  WORD wProcessorLevel;
  WORD wProcessorRevision;
};
using LPSYSTEM_INFO = SYSTEM_INFO*;
WINBASEAPI void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo);

#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
};
struct OSVERSIONINFOEXW {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  WCHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
// The stand-in platform reports itself as an NT-family system, version 10.0, without a service
// pack; dwOSVersionInfoSize must be the size of one of the two records.
WINBASEAPI BOOL GetVersionExW(OSVERSIONINFOW* lpVersionInformation);

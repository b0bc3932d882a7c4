// Process, thread and machine facts: ids, process times (/proc/self/stat + boot time), memory
// status (/proc/meminfo), processor count (affinity), screen metrics, version, Sleep.
// Thread-safe; reads /proc at each call.
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "kernel_object.h"
#include "time_ticks.h"

namespace zplatform::kernel {
namespace {

HANDLE const kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
HANDLE const kCurrentThread = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

// A "Key: value kB" field of /proc/meminfo, in bytes; false when absent.
bool MemInfoBytes(const std::string& meminfo, const char* key, ULONGLONG& bytes) {
  const std::string prefix = std::string("\n") + key + ":";
  const size_t at = ("\n" + meminfo).find(prefix);
  if (at == std::string::npos) return false;
  std::istringstream field(meminfo.substr(at + prefix.size() - 1));
  ULONGLONG kilobytes = 0;
  if (!(field >> kilobytes)) return false;
  bytes = kilobytes * 1024;
  return true;
}

std::string ReadProcFile(const char* path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// The process's start as FILETIME ticks: boot time + start time in clock ticks after boot.
bool ProcessCreationTicks(std::int64_t& ticks) {
  const std::string stat = ReadProcFile("/proc/self/stat");
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(stat.substr(close + 2));  // field 3 onwards
  std::string skipped;
  for (int field = 3; field < 22; ++field) fields >> skipped;
  unsigned long long startClockTicks = 0;
  if (!(fields >> startClockTicks)) return false;
  const std::string systemStat = ReadProcFile("/proc/stat");
  const size_t at = systemStat.find("\nbtime ");
  if (at == std::string::npos) return false;
  const long long bootSeconds = std::stoll(systemStat.substr(at + 7));
  const long hertz = ::sysconf(_SC_CLK_TCK);
  const auto startNanoseconds = static_cast<std::int64_t>(startClockTicks % hertz) * (1000000000 / hertz);
  ticks = TicksFromUnix(bootSeconds + static_cast<std::int64_t>(startClockTicks / hertz), startNanoseconds);
  return true;
}

FILETIME DurationOf(const timeval& t) {
  return FileTimeOf(static_cast<std::int64_t>(t.tv_sec) * 10000000 + t.tv_usec * 10);
}

}  // namespace
}  // namespace zplatform::kernel

using namespace zplatform::kernel;

extern "C" ZPLATFORM_API HANDLE GetCurrentProcess() { return kCurrentProcess; }
extern "C" ZPLATFORM_API HANDLE GetCurrentThread() { return kCurrentThread; }
extern "C" ZPLATFORM_API DWORD GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }
extern "C" ZPLATFORM_API DWORD GetCurrentThreadId() { return static_cast<DWORD>(::gettid()); }

extern "C" ZPLATFORM_API BOOL GetProcessTimes(HANDLE hProcess, FILETIME* lpCreationTime, FILETIME* lpExitTime,
                                             FILETIME* lpKernelTime, FILETIME* lpUserTime) {
  if (hProcess != kCurrentProcess) return Fail(ERROR_INVALID_HANDLE);
  if (!lpCreationTime || !lpExitTime || !lpKernelTime || !lpUserTime) return Fail(ERROR_INVALID_PARAMETER);
  std::int64_t created = 0;
  if (!ProcessCreationTicks(created)) return Fail(ERROR_NOT_SUPPORTED);
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  *lpCreationTime = FileTimeOf(created);
  *lpExitTime = FILETIME{0, 0};
  *lpKernelTime = DurationOf(usage.ru_stime);
  *lpUserTime = DurationOf(usage.ru_utime);
  return TRUE;
}

extern "C" ZPLATFORM_API void Sleep(DWORD dwMilliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

extern "C" ZPLATFORM_API BOOL GlobalMemoryStatusEx(LPMEMORYSTATUSEX lpBuffer) {
  if (lpBuffer == nullptr || lpBuffer->dwLength != sizeof(MEMORYSTATUSEX)) return Fail(ERROR_INVALID_PARAMETER);
  const std::string meminfo = ReadProcFile("/proc/meminfo");
  ULONGLONG total = 0, available = 0, swapTotal = 0, swapFree = 0;
  if (!MemInfoBytes(meminfo, "MemTotal", total)) return Fail(ERROR_NOT_SUPPORTED);
  if (!MemInfoBytes(meminfo, "MemAvailable", available)) MemInfoBytes(meminfo, "MemFree", available);
  MemInfoBytes(meminfo, "SwapTotal", swapTotal);
  MemInfoBytes(meminfo, "SwapFree", swapFree);
  lpBuffer->ullTotalPhys = total;
  lpBuffer->ullAvailPhys = available;
  lpBuffer->dwMemoryLoad = total ? static_cast<DWORD>((total - std::min(available, total)) * 100 / total) : 0;
  lpBuffer->ullTotalPageFile = total + swapTotal;
  lpBuffer->ullAvailPageFile = available + swapFree;
  lpBuffer->ullTotalVirtual = 0x7FFFFFFE0000ull;  // user address space of a 64-bit process
  lpBuffer->ullAvailVirtual = lpBuffer->ullTotalVirtual;
  lpBuffer->ullAvailExtendedVirtual = 0;
  return TRUE;
}

extern "C" ZPLATFORM_API void GetSystemInfo(LPSYSTEM_INFO lpSystemInfo) {
  if (lpSystemInfo == nullptr) return;
  *lpSystemInfo = SYSTEM_INFO{};
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  int processors = ::sched_getaffinity(0, sizeof allowed, &allowed) == 0 ? CPU_COUNT(&allowed) : 0;
  if (processors <= 0) processors = static_cast<int>(std::max(1L, ::sysconf(_SC_NPROCESSORS_ONLN)));
#if defined(__x86_64__)
  lpSystemInfo->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
#elif defined(__aarch64__)
  lpSystemInfo->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_ARM64;
#else
  lpSystemInfo->wProcessorArchitecture = PROCESSOR_ARCHITECTURE_UNKNOWN;
#endif
  lpSystemInfo->dwPageSize = static_cast<DWORD>(::sysconf(_SC_PAGESIZE));
  lpSystemInfo->lpMinimumApplicationAddress = reinterpret_cast<LPVOID>(0x10000);
  lpSystemInfo->lpMaximumApplicationAddress = reinterpret_cast<LPVOID>(0x7FFFFFFEFFFFull);
  lpSystemInfo->dwActiveProcessorMask = processors >= 64 ? ~DWORD_PTR{0} : (DWORD_PTR{1} << processors) - 1;
  lpSystemInfo->dwNumberOfProcessors = static_cast<DWORD>(processors);
  lpSystemInfo->dwAllocationGranularity = 65536;
}

extern "C" ZPLATFORM_API int GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN: return 1920;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN: return 1080;
    default: return 0;
  }
}

extern "C" ZPLATFORM_API BOOL GetVersionExW(OSVERSIONINFOW* lpVersionInformation) {
  if (lpVersionInformation == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const DWORD size = lpVersionInformation->dwOSVersionInfoSize;
  if (size != sizeof(OSVERSIONINFOW) && size != sizeof(OSVERSIONINFOEXW)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memset(reinterpret_cast<char*>(lpVersionInformation) + sizeof(DWORD), 0, size - sizeof(DWORD));
  lpVersionInformation->dwMajorVersion = 10;
  lpVersionInformation->dwMinorVersion = 0;
  lpVersionInformation->dwPlatformId = VER_PLATFORM_WIN32_NT;
  return TRUE;
}

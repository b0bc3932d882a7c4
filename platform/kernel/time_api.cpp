// Clocks and time conversions: FILETIME (100 ns ticks since 1601-01-01 UTC) <-> SYSTEMTIME,
// UTC <-> local time through the C library's zone rules, performance counter and tick counts.
// Pure arithmetic except where the local zone or a clock is read; thread-safe.
#include <time.h>

#include <cstdint>

#include "kernel_object.h"
#include "time_ticks.h"

namespace zplatform::kernel {
namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kTicksPerDay = kTicksPerSecond * 86400;
constexpr std::int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

bool IsLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(unsigned y, unsigned m) {
  static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

bool IsValid(const SYSTEMTIME& st) {
  return st.wYear >= 1601 && st.wYear <= 30827 && st.wMonth >= 1 && st.wMonth <= 12 && st.wDay >= 1 &&
         st.wDay <= DaysInMonth(st.wYear, st.wMonth) && st.wHour < 24 && st.wMinute < 60 && st.wSecond < 60 &&
         st.wMilliseconds < 1000;
}

// The local zone's offset from UTC, in seconds, at the given Unix time.
long LocalOffsetAt(time_t when) {
  struct tm local {};
  return localtime_r(&when, &local) ? local.tm_gmtoff : 0;
}

std::int64_t UnixSecondsOf(std::int64_t ticks) { return ticks / kTicksPerSecond - kDaysFrom1601To1970 * 86400; }

}  // namespace

std::int64_t TicksOf(const FILETIME& ft) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

FILETIME FileTimeOf(std::int64_t ticks) {
  const auto bits = static_cast<std::uint64_t>(ticks);
  return FILETIME{static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
}

std::int64_t TicksFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
  return (seconds + kDaysFrom1601To1970 * 86400) * kTicksPerSecond + nanoseconds / 100;
}

SYSTEMTIME SystemTimeOf(std::int64_t ticks) {
  const std::int64_t days = ticks / kTicksPerDay;
  std::int64_t inDay = ticks % kTicksPerDay;
  std::int64_t year;
  unsigned month, day;
  CivilFromDays(days - kDaysFrom1601To1970, year, month, day);
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  st.wHour = static_cast<WORD>(inDay / (kTicksPerSecond * 3600));
  inDay %= kTicksPerSecond * 3600;
  st.wMinute = static_cast<WORD>(inDay / (kTicksPerSecond * 60));
  inDay %= kTicksPerSecond * 60;
  st.wSecond = static_cast<WORD>(inDay / kTicksPerSecond);
  st.wMilliseconds = static_cast<WORD>(inDay % kTicksPerSecond / 10000);
  return st;
}

std::int64_t TicksOfSystemTime(const SYSTEMTIME& st) {
  const std::int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) + kDaysFrom1601To1970;
  const std::int64_t seconds = days * 86400 + st.wHour * 3600 + st.wMinute * 60 + st.wSecond;
  return seconds * kTicksPerSecond + st.wMilliseconds * 10000;
}

std::int64_t NowTicks() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return TicksFromUnix(now.tv_sec, now.tv_nsec);
}

std::int64_t CurrentLocalOffsetTicks() { return LocalOffsetAt(time(nullptr)) * kTicksPerSecond; }

std::int64_t LocalOffsetTicksAt(std::int64_t utcTicks) {
  return LocalOffsetAt(static_cast<time_t>(UnixSecondsOf(utcTicks))) * kTicksPerSecond;
}

}  // namespace zplatform::kernel

using namespace zplatform::kernel;

namespace {

constexpr std::int64_t kMaxFileTime = 0x7FFFFFFFFFFFFFFF;

// The offset to apply for a TIME_ZONE_INFORMATION: only zones without daylight rules are known.
bool FixedZoneOffset(const TIME_ZONE_INFORMATION* zone, std::int64_t& offsetTicks) {
  if (zone->DaylightDate.wMonth != 0) return false;
  offsetTicks = -static_cast<std::int64_t>(zone->Bias + zone->StandardBias) * 60 * 10000000;
  return true;
}

}  // namespace

extern "C" ZPLATFORM_API void GetSystemTimeAsFileTime(FILETIME* lpSystemTimeAsFileTime) {
  if (lpSystemTimeAsFileTime) *lpSystemTimeAsFileTime = FileTimeOf(NowTicks());
}

extern "C" ZPLATFORM_API void GetSystemTime(SYSTEMTIME* lpSystemTime) {
  if (lpSystemTime) *lpSystemTime = SystemTimeOf(NowTicks());
}

extern "C" ZPLATFORM_API void GetLocalTime(SYSTEMTIME* lpSystemTime) {
  if (lpSystemTime == nullptr) return;
  const std::int64_t now = NowTicks();
  *lpSystemTime = SystemTimeOf(now + LocalOffsetTicksAt(now));
}

extern "C" ZPLATFORM_API BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime) {
  if (lpFileTime == nullptr || lpSystemTime == nullptr || TicksOf(*lpFileTime) < 0) return Fail(ERROR_INVALID_PARAMETER);
  *lpSystemTime = SystemTimeOf(TicksOf(*lpFileTime));
  return TRUE;
}

extern "C" ZPLATFORM_API BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime) {
  if (lpSystemTime == nullptr || lpFileTime == nullptr || !IsValid(*lpSystemTime)) return Fail(ERROR_INVALID_PARAMETER);
  *lpFileTime = FileTimeOf(TicksOfSystemTime(*lpSystemTime));
  return TRUE;
}

extern "C" ZPLATFORM_API BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime) {
  if (lpFileTime == nullptr || lpLocalFileTime == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const std::int64_t local = TicksOf(*lpFileTime) + CurrentLocalOffsetTicks();
  if (local < 0) return Fail(ERROR_INVALID_PARAMETER);
  *lpLocalFileTime = FileTimeOf(local);
  return TRUE;
}

extern "C" ZPLATFORM_API BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, FILETIME* lpFileTime) {
  if (lpFileTime == nullptr || lpLocalFileTime == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const std::int64_t utc = TicksOf(*lpLocalFileTime) - CurrentLocalOffsetTicks();
  if (utc < 0) return Fail(ERROR_INVALID_PARAMETER);
  *lpFileTime = FileTimeOf(utc);
  return TRUE;
}

extern "C" ZPLATFORM_API BOOL SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation,
                                                             const SYSTEMTIME* lpUniversalTime,
                                                             SYSTEMTIME* lpLocalTime) {
  if (lpUniversalTime == nullptr || lpLocalTime == nullptr || !IsValid(*lpUniversalTime)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const std::int64_t utc = TicksOfSystemTime(*lpUniversalTime);
  std::int64_t offset = 0;
  if (lpTimeZoneInformation == nullptr) {
    offset = LocalOffsetTicksAt(utc);
  } else if (!FixedZoneOffset(lpTimeZoneInformation, offset)) {
    return Fail(ERROR_NOT_SUPPORTED);
  }
  if (utc + offset < 0 || utc + offset > kMaxFileTime) return Fail(ERROR_INVALID_PARAMETER);
  *lpLocalTime = SystemTimeOf(utc + offset);
  return TRUE;
}

extern "C" ZPLATFORM_API BOOL TzSpecificLocalTimeToSystemTime(const TIME_ZONE_INFORMATION* lpTimeZoneInformation,
                                                             const SYSTEMTIME* lpLocalTime,
                                                             SYSTEMTIME* lpUniversalTime) {
  if (lpLocalTime == nullptr || lpUniversalTime == nullptr || !IsValid(*lpLocalTime)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const std::int64_t local = TicksOfSystemTime(*lpLocalTime);
  std::int64_t offset = 0;
  if (lpTimeZoneInformation == nullptr) {
    // The offset in force at the local time: first guess with the offset at that instant read as
    // UTC, then correct once with the offset at the resulting UTC time.
    offset = LocalOffsetTicksAt(local - LocalOffsetTicksAt(local));
  } else if (!FixedZoneOffset(lpTimeZoneInformation, offset)) {
    return Fail(ERROR_NOT_SUPPORTED);
  }
  if (local - offset < 0) return Fail(ERROR_INVALID_PARAMETER);
  *lpUniversalTime = SystemTimeOf(local - offset);
  return TRUE;
}

extern "C" ZPLATFORM_API BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
  if (lpPerformanceCount == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  lpPerformanceCount->QuadPart = static_cast<LONGLONG>(now.tv_sec) * 1000000000 + now.tv_nsec;
  return TRUE;
}

extern "C" ZPLATFORM_API BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
  if (lpFrequency == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  lpFrequency->QuadPart = 1000000000;  // the counter counts nanoseconds
  return TRUE;
}

extern "C" ZPLATFORM_API ULONGLONG GetTickCount64() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<ULONGLONG>(now.tv_sec) * 1000 + static_cast<ULONGLONG>(now.tv_nsec) / 1000000;
}

extern "C" ZPLATFORM_API DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

// FILETIME tick arithmetic shared by the time calls and GetProcessTimes (100 ns since 1601 UTC).
// Pure functions except the clock and local-zone reads named as such.
#pragma once

#include <cstdint>

#include "windows.h"

namespace zplatform::kernel {

std::int64_t TicksOf(const FILETIME& ft);
FILETIME FileTimeOf(std::int64_t ticks);
std::int64_t TicksFromUnix(std::int64_t seconds, std::int64_t nanoseconds);
SYSTEMTIME SystemTimeOf(std::int64_t ticks);          // ticks >= 0
std::int64_t TicksOfSystemTime(const SYSTEMTIME& st);  // st valid
std::int64_t NowTicks();
std::int64_t CurrentLocalOffsetTicks();                // local minus UTC, now
std::int64_t LocalOffsetTicksAt(std::int64_t utcTicks);

}  // namespace zplatform::kernel

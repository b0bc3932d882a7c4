// Time conversions between FILETIME and SYSTEMTIME, local time and process creation time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "windows.h"

namespace {

SYSTEMTIME Make(WORD y, WORD mo, WORD d, WORD h = 0, WORD mi = 0, WORD s = 0, WORD ms = 0) {
  SYSTEMTIME st{};
  st.wYear = y, st.wMonth = mo, st.wDay = d, st.wHour = h, st.wMinute = mi, st.wSecond = s, st.wMilliseconds = ms;
  return st;
}

ULONGLONG Ticks(const FILETIME& ft) { return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

struct KnownInstant {
  SYSTEMTIME time;
  ULONGLONG ticks;
  WORD dayOfWeek;
};

TEST(Time, SystemTimeAndFileTimeAgreeOnKnownInstants) {
  const KnownInstant cases[] = {
      {Make(1601, 1, 1), 0ull, 1},                                    // the epoch, a Monday
      {Make(1970, 1, 1), 116444736000000000ull, 4},                   // Unix epoch, a Thursday
      {Make(2000, 2, 29, 23, 59, 59, 999), 125963423999990000ull, 2}, // leap day
      {Make(2023, 3, 15, 12), 133233552000000000ull, 3},
  };
  for (const auto& c : cases) {
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&c.time, &ft));
    EXPECT_EQ(Ticks(ft), c.ticks) << c.time.wYear;
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(back.wDayOfWeek, c.dayOfWeek) << c.time.wYear;
    back.wDayOfWeek = 0;
    EXPECT_EQ(std::memcmp(&back, &c.time, sizeof back), 0) << c.time.wYear;
  }
}

TEST(Time, InvalidFieldsAreRejected) {
  const SYSTEMTIME bad[] = {Make(1600, 12, 31), Make(2023, 2, 29), Make(2023, 13, 1), Make(2023, 1, 1, 24),
                            Make(2023, 1, 1, 0, 0, 0, 1000)};
  for (const auto& st : bad) {
    FILETIME ft{};
    EXPECT_FALSE(SystemTimeToFileTime(&st, &ft));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  FILETIME negative{0, 0x80000000u};
  SYSTEMTIME st{};
  EXPECT_FALSE(FileTimeToSystemTime(&negative, &st));
}

class LocalZone : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = getenv("TZ");
    saved_ = tz ? tz : "";
    hadTz_ = tz != nullptr;
    setenv("TZ", "Europe/London", 1);  // GMT in winter, BST (+1) in summer
    tzset();
  }
  void TearDown() override {
    hadTz_ ? setenv("TZ", saved_.c_str(), 1) : unsetenv("TZ");
    tzset();
  }
  std::string saved_;
  bool hadTz_ = false;
};

TEST_F(LocalZone, ZoneConversionsUseTheOffsetInForceAtThatTime) {
  const SYSTEMTIME summerUtc = Make(2024, 7, 1, 10, 30, 0, 250);
  SYSTEMTIME local{}, utc{};
  ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &summerUtc, &local));
  EXPECT_EQ(local.wHour, 11);
  EXPECT_EQ(local.wMilliseconds, 250);
  ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
  EXPECT_EQ(utc.wHour, 10);
  const SYSTEMTIME winterUtc = Make(2024, 1, 1, 10);
  ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &winterUtc, &local));
  EXPECT_EQ(local.wHour, 10);
}

TEST_F(LocalZone, LocalTimeMatchesTheCLibraryToTheSecond) {
  SYSTEMTIME st{};
  const time_t before = time(nullptr);
  GetLocalTime(&st);
  struct tm expected {};
  localtime_r(&before, &expected);
  EXPECT_EQ(st.wYear, expected.tm_year + 1900);
  EXPECT_EQ(st.wHour, expected.tm_hour);
  EXPECT_LT(st.wMilliseconds, 1000);
}

TEST(Time, ProcessCreationLiesBeforeNowAndNotLongAgo) {
  FILETIME created{}, exited{}, kernel{}, user{}, now{};
  ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user));
  GetSystemTimeAsFileTime(&now);
  EXPECT_LE(Ticks(created), Ticks(now) + 10000000ull);  // clock-tick rounding of the boot time
  EXPECT_LT(Ticks(now) - Ticks(created), 3600ull * 10000000ull) << "the test process started within the hour";
  EXPECT_FALSE(GetProcessTimes(nullptr, &created, &exited, &kernel, &user));
}

}  // namespace

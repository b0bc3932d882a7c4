// DICOM DT -> FILETIME (see AcquisitionTime.h). Missing trailing components default to their
// minimum (month and day 1, time 0), as PS3.5 6.2 allows DT values to be truncated.
#include "AcquisitionTime.h"

#include <cctype>
#include <string>

namespace dicominterop {
namespace {

std::optional<int> Digits(std::string_view s, size_t pos, size_t count, int fallback) {
  if (pos >= s.size()) return fallback;
  if (pos + count > s.size()) return std::nullopt;
  int value = 0;
  for (size_t i = pos; i < pos + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return std::nullopt;
    value = value * 10 + (s[i] - '0');
  }
  return value;
}

// Days from 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

std::optional<int32_t> ParseZone(std::string_view z) {
  if (z.size() != 5 || (z[0] != '+' && z[0] != '-')) return std::nullopt;
  auto hh = Digits(z, 1, 2, -1), mm = Digits(z, 3, 2, -1);
  if (!hh || !mm || *hh < 0 || *mm < 0) return std::nullopt;
  const int32_t minutes = *hh * 60 + *mm;
  return z[0] == '-' ? -minutes : minutes;
}

}  // namespace

std::optional<AcquisitionTime> ParseDateTime(std::string_view dt, std::string_view fallbackZone) {
  std::string_view zone = fallbackZone;
  if (size_t sign = dt.find_first_of("+-"); sign != std::string_view::npos) {
    zone = dt.substr(sign);
    dt = dt.substr(0, sign);
  }
  std::string_view fraction;
  if (size_t dot = dt.find('.'); dot != std::string_view::npos) {
    fraction = dt.substr(dot + 1);
    dt = dt.substr(0, dot);
  }
  auto year = Digits(dt, 0, 4, -1), month = Digits(dt, 4, 2, 1), day = Digits(dt, 6, 2, 1);
  auto hour = Digits(dt, 8, 2, 0), minute = Digits(dt, 10, 2, 0), second = Digits(dt, 12, 2, 0);
  if (!year || *year < 1601 || !month || !day || !hour || !minute || !second || *month < 1 || *month > 12 ||
      *day < 1 || *day > 31 || *hour > 23 || *minute > 59 || *second > 60) {
    return std::nullopt;
  }
  int64_t ticks = 0;  // 100 ns units of the fraction
  for (size_t i = 0; i < 7; ++i) {
    const bool digit = i < fraction.size() && std::isdigit(static_cast<unsigned char>(fraction[i]));
    ticks = ticks * 10 + (digit ? fraction[i] - '0' : 0);
  }
  const int64_t days = DaysFromCivil(*year, static_cast<unsigned>(*month), static_cast<unsigned>(*day)) +
                       134774;  // 1601-01-01 .. 1970-01-01
  int64_t seconds = days * 86400 + *hour * 3600 + *minute * 60 + *second;
  AcquisitionTime result;
  if (auto z = ParseZone(zone)) {
    result.zoneMinutes = *z;
    seconds -= int64_t{*z} * 60;
  }
  if (seconds < 0) return std::nullopt;
  result.fileTime = static_cast<uint64_t>(seconds) * 10000000u + static_cast<uint64_t>(ticks);
  return result;
}

}  // namespace dicominterop

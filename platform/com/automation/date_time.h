// DATE arithmetic and text under locale 2057: days since 30 December 1899 with the time of day as
// the fraction; negative values count days backwards while the fraction stays a positive time.
// Text: short date "dd/mm/yyyy", time "hh:mm:ss" (24-hour).
#pragma once

#include <string>
#include <string_view>

#include "oleauto.h"

namespace zplatform::automation::detail {

struct CivilDateTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

constexpr double kMinDate = -657434.0;  // 1 January 100
constexpr double kMaxDate = 2958465.99999999;  // 31 December 9999, 23:59:59

// False when the value lies outside 1 January 100 .. 31 December 9999 or is not a number.
bool DateToCivil(DATE value, CivilDateTime* out, bool keepMilliseconds = false);
// False for an invalid calendar date or time of day.
bool CivilToDate(const CivilDateTime& civil, DATE* out);

// VAR_TIMEVALUEONLY / VAR_DATEVALUEONLY select a part; otherwise a date without time shows the
// date only and a value in the first day (whole part 0) the time only.
HRESULT FormatDate(DATE value, ULONG flags, std::u16string* out);
// Accepts the short date in either day/month order where unambiguous, month names, ISO
// "yyyy-mm-dd", times with optional seconds and AM/PM; DISP_E_TYPEMISMATCH otherwise.
HRESULT ParseDate(std::u16string_view text, ULONG flags, DATE* out);

}  // namespace zplatform::automation::detail

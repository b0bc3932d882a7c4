// DATE <-> calendar conversion and the locale-2057 date/time text, parsed with a small tokenizer.
#include "com/automation/date_time.h"

#include <cmath>
#include <ctime>
#include <vector>

#include "com/automation/numeric.h"

namespace zplatform::automation::detail {

namespace {

// Days from 1 January 1970 for a proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int* year, int* month, int* day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (*month <= 2));
}

const long long kEpochDays = DaysFromCivil(1899, 12, 30);

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

void AppendPadded(std::u16string* out, int value, int width) {
  std::u16string digits = FormatInteger(value);
  if (static_cast<int>(digits.size()) < width) out->append(static_cast<std::size_t>(width) - digits.size(), u'0');
  out->append(digits);
}

}  // namespace

bool DateToCivil(DATE value, CivilDateTime* out, bool keepMilliseconds) {
  if (!(value >= kMinDate && value < kMaxDate + 1e-8)) return false;
  const double wholeDays = std::trunc(value);
  const double fraction = std::fabs(value - wholeDays);
  long long days = static_cast<long long>(wholeDays);
  const double unit = keepMilliseconds ? 86400000.0 : 86400.0;
  long long ticks = std::llround(fraction * unit);
  if (ticks >= static_cast<long long>(unit)) {  // rounding reached midnight: the next calendar day
    ticks -= static_cast<long long>(unit);
    days += 1;
  }
  CivilFromDays(kEpochDays + days, &out->year, &out->month, &out->day);
  const long long seconds = keepMilliseconds ? ticks / 1000 : ticks;
  out->millisecond = keepMilliseconds ? static_cast<int>(ticks % 1000) : 0;
  out->hour = static_cast<int>(seconds / 3600);
  out->minute = static_cast<int>(seconds / 60 % 60);
  out->second = static_cast<int>(seconds % 60);
  return true;
}

bool CivilToDate(const CivilDateTime& civil, DATE* out) {
  if (civil.year < 100 || civil.year > 9999 || civil.month < 1 || civil.month > 12 || civil.day < 1 ||
      civil.day > DaysInMonth(civil.year, civil.month) || civil.hour < 0 || civil.hour > 23 || civil.minute < 0 ||
      civil.minute > 59 || civil.second < 0 || civil.second > 59 || civil.millisecond < 0 ||
      civil.millisecond > 999) {
    return false;
  }
  const double days = static_cast<double>(DaysFromCivil(civil.year, static_cast<unsigned>(civil.month),
                                                        static_cast<unsigned>(civil.day)) -
                                          kEpochDays);
  const double time = (civil.hour * 3600.0 + civil.minute * 60.0 + civil.second + civil.millisecond / 1000.0) / 86400.0;
  *out = days >= 0 ? days + time : days - time;
  return true;
}

HRESULT FormatDate(DATE value, ULONG flags, std::u16string* out) {
  CivilDateTime civil;
  if (!DateToCivil(value, &civil)) return E_INVALIDARG;
  const bool hasTime = civil.hour != 0 || civil.minute != 0 || civil.second != 0;
  const bool firstDay = civil.year == 1899 && civil.month == 12 && civil.day == 30;
  bool showDate = !firstDay;
  bool showTime = hasTime || firstDay;
  if (flags & VAR_TIMEVALUEONLY) {
    showDate = false;
    showTime = true;
  } else if (flags & VAR_DATEVALUEONLY) {
    showDate = true;
    showTime = false;
  }
  out->clear();
  if (showDate) {
    AppendPadded(out, civil.day, 2);
    out->push_back(u'/');
    AppendPadded(out, civil.month, 2);
    out->push_back(u'/');
    AppendPadded(out, civil.year, 4);
  }
  if (showTime) {
    if (showDate) out->push_back(u' ');
    AppendPadded(out, civil.hour, 2);
    out->push_back(u':');
    AppendPadded(out, civil.minute, 2);
    out->push_back(u':');
    AppendPadded(out, civil.second, 2);
  }
  return S_OK;
}

namespace {

struct Token {
  enum Kind { kNumber, kWord, kSeparator } kind;
  int value = 0;   // number value
  int digits = 0;  // number of digits written
  std::u16string text;  // upper-case word or the separator
};

bool Tokenize(std::u16string_view text, std::vector<Token>* tokens) {
  for (std::size_t i = 0; i < text.size();) {
    const char16_t c = text[i];
    if (c >= u'0' && c <= u'9') {
      Token t{Token::kNumber, 0, 0, {}};
      for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i, ++t.digits) {
        if (t.value < 100000) t.value = t.value * 10 + (text[i] - u'0');
      }
      tokens->push_back(t);
    } else if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) {
      Token t{Token::kWord, 0, 0, {}};
      for (; i < text.size() && ((text[i] >= u'A' && text[i] <= u'Z') || (text[i] >= u'a' && text[i] <= u'z')); ++i) {
        t.text.push_back(text[i] >= u'a' ? static_cast<char16_t>(text[i] - 32) : text[i]);
      }
      tokens->push_back(t);
    } else if (c == u' ' || c == u'\t' || c == 0xA0) {
      ++i;
    } else if (c == u'/' || c == u'-' || c == u'.' || c == u',' || c == u':') {
      tokens->push_back(Token{Token::kSeparator, 0, 0, std::u16string(1, c)});
      ++i;
    } else {
      return false;
    }
  }
  return true;
}

int MonthFromWord(const std::u16string& word) {
  static constexpr const char16_t* kMonths[] = {u"JANUARY", u"FEBRUARY", u"MARCH",     u"APRIL",
                                                u"MAY",     u"JUNE",     u"JULY",      u"AUGUST",
                                                u"SEPTEMBER", u"OCTOBER", u"NOVEMBER", u"DECEMBER"};
  if (word.size() < 3) return 0;
  for (int m = 0; m < 12; ++m) {
    const std::u16string_view name(kMonths[m]);
    if (word.size() <= name.size() && name.substr(0, word.size()) == word) return m + 1;
  }
  if (word == u"SEPT") return 9;
  return 0;
}

bool IsWeekday(const std::u16string& word) {
  static constexpr const char16_t* kDays[] = {u"MONDAY", u"TUESDAY", u"WEDNESDAY", u"THURSDAY",
                                              u"FRIDAY", u"SATURDAY", u"SUNDAY"};
  if (word.size() < 3) return false;
  for (const char16_t* day : kDays) {
    const std::u16string_view name(day);
    if (word.size() <= name.size() && name.substr(0, word.size()) == word) return true;
  }
  return false;
}

struct DateParts {
  std::vector<Token> numbers;  // date numbers in text order
  int monthName = 0;
  int monthNamePosition = -1;  // index into numbers before which the month name stood
  bool hasTime = false;
  CivilDateTime time;
};

// Consumes "h:mm[:ss[.fff]] [AM|PM]" or "h AM|PM" starting at tokens[i]; false when not a time.
bool TakeTime(const std::vector<Token>& tokens, std::size_t* i, DateParts* parts) {
  std::size_t k = *i;
  int fields[3] = {tokens[k].value, 0, 0};
  int count = 1;
  while (count < 3 && k + 2 < tokens.size() + 0 && tokens[k + 1].kind == Token::kSeparator &&
         tokens[k + 1].text == u":" && tokens[k + 2].kind == Token::kNumber) {
    fields[count++] = tokens[k + 2].value;
    k += 2;
  }
  int millisecond = 0;
  if (count == 3 && k + 2 < tokens.size() && tokens[k + 1].text == u"." && tokens[k + 2].kind == Token::kNumber) {
    millisecond = static_cast<int>(std::lround(tokens[k + 2].value * std::pow(10.0, 3 - tokens[k + 2].digits)));
    k += 2;
  }
  int meridiem = 0;
  if (k + 1 < tokens.size() && tokens[k + 1].kind == Token::kWord) {
    const auto& word = tokens[k + 1].text;
    if (word == u"AM" || word == u"A") meridiem = 1;
    if (word == u"PM" || word == u"P") meridiem = 2;
    if (meridiem != 0) ++k;
  }
  if (count == 1 && meridiem == 0) return false;
  if (meridiem != 0) {
    if (fields[0] < 1 || fields[0] > 12) return false;
    fields[0] = fields[0] % 12 + (meridiem == 2 ? 12 : 0);
  }
  parts->hasTime = true;
  parts->time.hour = fields[0];
  parts->time.minute = fields[1];
  parts->time.second = fields[2];
  parts->time.millisecond = millisecond;
  *i = k + 1;
  return true;
}

bool SplitTokens(const std::vector<Token>& tokens, DateParts* parts) {
  for (std::size_t i = 0; i < tokens.size();) {
    const Token& t = tokens[i];
    if (t.kind == Token::kNumber) {
      if (!parts->hasTime && TakeTime(tokens, &i, parts)) continue;
      parts->numbers.push_back(t);
    } else if (t.kind == Token::kWord) {
      const int month = MonthFromWord(t.text);
      if (month != 0 && parts->monthName == 0) {
        parts->monthName = month;
        parts->monthNamePosition = static_cast<int>(parts->numbers.size());
      } else if (!IsWeekday(t.text)) {
        return false;
      }
    } else if (t.text == u":") {
      return false;
    }
    ++i;
  }
  return parts->numbers.size() <= 3;
}

int CurrentYear() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

// Two-digit years 00..29 mean 2000..2029, 30..99 mean 1930..1999.
int ExpandYear(const Token& t) {
  if (t.digits > 2) return t.value;
  return t.value < 30 ? 2000 + t.value : 1900 + t.value;
}

bool ResolveWithMonthName(const DateParts& parts, CivilDateTime* civil) {
  civil->month = parts.monthName;
  const auto& n = parts.numbers;
  if (n.empty()) return false;
  if (n.size() == 1) {
    if (n[0].value > 31 || n[0].digits > 2) {
      civil->day = 1;
      civil->year = ExpandYear(n[0]);
    } else {
      civil->day = n[0].value;
      civil->year = CurrentYear();
    }
    return true;
  }
  if (n.size() != 2) return false;
  const bool firstIsYear = n[0].digits > 2 || n[0].value > 31;
  civil->day = firstIsYear ? n[1].value : n[0].value;
  civil->year = ExpandYear(firstIsYear ? n[0] : n[1]);
  return true;
}

bool ResolveNumeric(const DateParts& parts, CivilDateTime* civil) {
  const auto& n = parts.numbers;
  if (n.size() == 3) {
    if (n[0].digits > 2 || n[0].value > 31) {  // ISO order: year, month, day
      civil->year = ExpandYear(n[0]);
      civil->month = n[1].value;
      civil->day = n[2].value;
      return true;
    }
    civil->day = n[0].value;
    civil->month = n[1].value;
    civil->year = ExpandYear(n[2]);
  } else if (n.size() == 2) {
    if (n[1].digits > 2 || n[1].value > 31) {  // month and year
      civil->day = 1;
      civil->month = n[0].value;
      civil->year = ExpandYear(n[1]);
      return true;
    }
    civil->day = n[0].value;
    civil->month = n[1].value;
    civil->year = CurrentYear();
  } else {
    return false;
  }
  if (civil->month > 12 && civil->day <= 12) std::swap(civil->day, civil->month);
  return true;
}

}  // namespace

HRESULT ParseDate(std::u16string_view text, ULONG flags, DATE* out) {
  std::vector<Token> tokens;
  DateParts parts;
  if (!Tokenize(text, &tokens) || tokens.empty() || !SplitTokens(tokens, &parts)) return DISP_E_TYPEMISMATCH;
  CivilDateTime civil = parts.time;
  const bool hasDate = !parts.numbers.empty() || parts.monthName != 0;
  if (hasDate) {
    CivilDateTime date;
    const bool resolved = parts.monthName != 0 ? ResolveWithMonthName(parts, &date) : ResolveNumeric(parts, &date);
    if (!resolved) return DISP_E_TYPEMISMATCH;
    civil.year = date.year;
    civil.month = date.month;
    civil.day = date.day;
  } else if (!parts.hasTime) {
    return DISP_E_TYPEMISMATCH;
  }
  if (flags & VAR_TIMEVALUEONLY) civil.year = 1899, civil.month = 12, civil.day = 30;
  if (flags & VAR_DATEVALUEONLY) civil.hour = civil.minute = civil.second = civil.millisecond = 0;
  return CivilToDate(civil, out) ? S_OK : DISP_E_TYPEMISMATCH;
}

}  // namespace zplatform::automation::detail

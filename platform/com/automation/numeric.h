// The common intermediate of the numeric conversions: an exact decimal (integers, CY, DECIMAL,
// parsed text) or a binary double (R4, R8, DATE), with rounding and range checks per target type.
// Rounding is half to even, as the platform rounds; out-of-range values give DISP_E_OVERFLOW.
#pragma once

#include <string>
#include <string_view>

#include "oleauto.h"

namespace zplatform::automation::detail {

using UInt128 = unsigned __int128;

struct Numeric {
  bool isDouble = false;
  double real = 0;        // when isDouble
  bool negative = false;  // exact form: value = (negative ? -1 : 1) * mantissa / 10^scale
  UInt128 mantissa = 0;
  int scale = 0;          // 0..38
  bool hex = false;       // "&H"/"&O" text: fills a signed target's bits like an unsigned one
};

// Reads the value of a scalar numeric VARIANT (I1..UI8, INT, UINT, R4, R8, CY, DATE, BOOL, DECIMAL).
bool NumericFromVariant(const VARIANT& source, Numeric* out);

// Stores value as type vt into dest (uninitialised): DISP_E_OVERFLOW when out of range.
HRESULT NumericToVariant(const Numeric& value, VARTYPE vt, VARIANT* dest);

// Parses text the way the platform's number parser does under an English locale: blanks, leading
// or trailing sign, parentheses for negatives, "£", "," as digit grouping, "." decimal point,
// exponent, "&H" hex and "&O" octal. DISP_E_TYPEMISMATCH for anything else.
HRESULT ParseNumber(std::u16string_view text, Numeric* out);

// Shortest platform text of a number: integers plainly, doubles with `digits` significant digits
// (15 for R8, 7 for R4) switching to "1E+20" form, CY and DECIMAL without trailing zeros.
std::u16string FormatDouble(double value, int digits);
std::u16string FormatInteger(long long value);
std::u16string FormatUnsigned(unsigned long long value);
std::u16string FormatScaled(bool negative, UInt128 mantissa, int scale);

std::u16string Widen(std::string_view ascii);

}  // namespace zplatform::automation::detail

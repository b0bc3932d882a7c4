// Numeric conversions between the automation scalar types through one exact-or-double value,
// and the locale-2057 number text parser and formatters (never the C library's locale).
#include "com/automation/numeric.h"

#include <charconv>
#include <cfloat>
#include <cmath>

namespace zplatform::automation::detail {

namespace {

constexpr int kMaxExactDigits = 38;

UInt128 PowerOfTen(int n) {
  UInt128 p = 1;
  for (int i = 0; i < n; ++i) p *= 10;
  return p;
}

// mantissa / 10^places rounded half to even.
UInt128 DivideRounded(UInt128 mantissa, int places) {
  if (places <= 0) return mantissa;
  if (places > kMaxExactDigits) return 0;
  const UInt128 divisor = PowerOfTen(places);
  const UInt128 quotient = mantissa / divisor;
  const UInt128 remainder = mantissa % divisor;
  const UInt128 half = divisor / 2;
  if (remainder > half || (remainder == half && (quotient & 1) != 0)) return quotient + 1;
  return quotient;
}

std::string DecimalDigits(UInt128 value) {
  if (value == 0) return "0";
  std::string digits;
  while (value != 0) {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  }
  return digits;
}

double ExactToDouble(const Numeric& value) {
  const std::string text = DecimalDigits(value.mantissa) + "e-" + std::to_string(value.scale);
  double result = 0;
  std::from_chars(text.data(), text.data() + text.size(), result);
  return value.negative ? -result : result;
}

float ExactToFloat(const Numeric& value) {
  const std::string text = DecimalDigits(value.mantissa) + "e-" + std::to_string(value.scale);
  float result = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
  if (error == std::errc::result_out_of_range) result = value.mantissa == 0 ? 0.0f : HUGE_VALF;
  return value.negative ? -result : result;
}

double AsDouble(const Numeric& value) { return value.isDouble ? value.real : ExactToDouble(value); }

// The value rounded to an integer: sign and magnitude, or false when far beyond 64 bits.
bool RoundedInteger(const Numeric& value, bool* negative, UInt128* magnitude) {
  if (!value.isDouble) {
    *negative = value.negative;
    *magnitude = DivideRounded(value.mantissa, value.scale);
    return true;
  }
  if (!std::isfinite(value.real)) return false;
  const double rounded = std::nearbyint(value.real);
  if (std::fabs(rounded) >= 0x1p65) return false;
  *negative = rounded < 0;
  *magnitude = static_cast<UInt128>(std::fabs(rounded));
  return true;
}

template <class T>
HRESULT StoreInteger(const Numeric& value, T* out) {
  bool negative = false;
  UInt128 magnitude = 0;
  if (!RoundedInteger(value, &negative, &magnitude)) return DISP_E_OVERFLOW;
  using Unsigned = std::make_unsigned_t<T>;
  constexpr auto kMax = static_cast<UInt128>(std::numeric_limits<T>::max());
  if (value.hex && std::is_signed_v<T> && !negative && magnitude <= std::numeric_limits<Unsigned>::max()) {
    *out = static_cast<T>(static_cast<Unsigned>(magnitude));
    return S_OK;
  }
  if (negative && magnitude != 0) {
    if (!std::is_signed_v<T> || magnitude > kMax + 1) return DISP_E_OVERFLOW;
    *out = static_cast<T>(-static_cast<__int128>(magnitude));
    return S_OK;
  }
  if (magnitude > kMax) return DISP_E_OVERFLOW;
  *out = static_cast<T>(magnitude);
  return S_OK;
}

HRESULT StoreCurrency(const Numeric& value, CY* out) {
  bool negative = false;
  UInt128 magnitude = 0;
  if (value.isDouble) {
    Numeric scaled = value;
    scaled.real = value.real * 10000.0;
    if (!RoundedInteger(scaled, &negative, &magnitude)) return DISP_E_OVERFLOW;
  } else {
    negative = value.negative;
    magnitude = value.scale >= 4 ? DivideRounded(value.mantissa, value.scale - 4)
                                 : value.mantissa * PowerOfTen(4 - value.scale);
    if (value.scale < 4 && value.mantissa > (~UInt128{0}) / PowerOfTen(4)) return DISP_E_OVERFLOW;
  }
  const auto limit = static_cast<UInt128>(std::numeric_limits<LONGLONG>::max()) + (negative ? 1 : 0);
  if (magnitude > limit) return DISP_E_OVERFLOW;
  out->int64 = negative ? static_cast<LONGLONG>(-static_cast<__int128>(magnitude)) : static_cast<LONGLONG>(magnitude);
  return S_OK;
}

// A double keeps 15 significant digits when it becomes a DECIMAL.
Numeric DoubleToExact(double real) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, real, std::chars_format::scientific, 14);
  Numeric exact;
  ParseNumber(Widen(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer))), &exact);
  while (exact.scale > 0 && exact.mantissa % 10 == 0) {
    exact.mantissa /= 10;
    --exact.scale;
  }
  return exact;
}

HRESULT StoreDecimal(const Numeric& value, DECIMAL* out) {
  Numeric exact = value;
  if (value.isDouble) {
    if (!std::isfinite(value.real) || std::fabs(value.real) >= 7.9228162514264338e28) return DISP_E_OVERFLOW;
    exact = DoubleToExact(value.real);
  }
  constexpr UInt128 kMax96 = (UInt128{1} << 96) - 1;
  while (exact.scale > 28 || (exact.mantissa > kMax96 && exact.scale > 0)) {
    exact.mantissa = DivideRounded(exact.mantissa, 1);
    --exact.scale;
  }
  if (exact.mantissa > kMax96) return DISP_E_OVERFLOW;
  out->wReserved = 0;
  out->u.s.scale = static_cast<BYTE>(exact.scale);
  out->u.s.sign = exact.negative && exact.mantissa != 0 ? DECIMAL_NEG : 0;
  out->Hi32 = static_cast<ULONG>(exact.mantissa >> 64);
  out->u2.Lo64 = static_cast<ULONGLONG>(exact.mantissa);
  return S_OK;
}

HRESULT StoreReal(const Numeric& value, VARTYPE vt, VARIANT* dest) {
  if (vt == VT_R4) {
    const float real = value.isDouble ? static_cast<float>(value.real) : ExactToFloat(value);
    if (value.isDouble ? (std::isfinite(value.real) && std::fabs(value.real) > FLT_MAX) : std::isinf(real)) {
      return DISP_E_OVERFLOW;
    }
    dest->fltVal = real;
    return S_OK;
  }
  const double real = AsDouble(value);
  if (vt == VT_DATE && !(real > -657435.0 && real < 2958466.0)) return DISP_E_OVERFLOW;
  if (vt == VT_R8 && !value.isDouble && std::isinf(real)) return DISP_E_OVERFLOW;
  dest->dblVal = real;
  return S_OK;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xA0; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
constexpr char16_t kPound = 0x00A3;

struct NumberText {
  bool negative = false;
  bool parenthesised = false;
  bool signSeen = false;
  std::string digits;  // integer and fraction digits, no separators
  int fractionDigits = 0;
  long long exponent = 0;
};

HRESULT ParseHex(std::u16string_view text, std::size_t i, const NumberText& prefix, Numeric* out) {
  const int base = (text[i] == u'H' || text[i] == u'h') ? 16 : 8;
  ++i;
  UInt128 value = 0;
  std::size_t digits = 0;
  for (; i < text.size(); ++i, ++digits) {
    const char16_t c = text[i];
    int d = IsDigit(c) ? c - u'0' : (c >= u'A' && c <= u'F') ? c - u'A' + 10 : (c >= u'a' && c <= u'f') ? c - u'a' + 10 : -1;
    if (d < 0 || d >= base) break;
    value = value * base + static_cast<unsigned>(d);
    if (value > std::numeric_limits<ULONGLONG>::max()) return DISP_E_OVERFLOW;
  }
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (digits == 0 || i != text.size() || prefix.parenthesised) return DISP_E_TYPEMISMATCH;
  *out = Numeric{};
  out->negative = prefix.negative;
  out->mantissa = value;
  out->hex = true;
  return S_OK;
}

// Leading blanks, one sign, one "(" and one currency symbol, in any order.
std::size_t ParsePrefix(std::u16string_view text, NumberText* number) {
  std::size_t i = 0;
  bool currency = false;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsBlank(c)) continue;
    if ((c == u'+' || c == u'-') && !number->signSeen) {
      number->signSeen = true;
      number->negative = c == u'-';
    } else if (c == u'(' && !number->parenthesised) {
      number->parenthesised = true;
    } else if (c == kPound && !currency) {
      currency = true;
    } else {
      break;
    }
  }
  return i;
}

std::size_t ParseMantissa(std::u16string_view text, std::size_t i, NumberText* number) {
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      number->digits.push_back(static_cast<char>(text[i]));
    } else if (text[i] != u',' || number->digits.empty()) {
      break;
    }
  }
  if (i < text.size() && text[i] == u'.') {
    for (++i; i < text.size() && IsDigit(text[i]); ++i) {
      number->digits.push_back(static_cast<char>(text[i]));
      ++number->fractionDigits;
    }
  }
  return i;
}

// "E" or "D", an optional sign and at least one digit; returns npos when malformed.
std::size_t ParseExponent(std::u16string_view text, std::size_t i, NumberText* number) {
  if (i >= text.size() || (text[i] != u'e' && text[i] != u'E' && text[i] != u'd' && text[i] != u'D')) return i;
  ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  const std::size_t start = i;
  long long exponent = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (exponent < 100000) exponent = exponent * 10 + (text[i] - u'0');
  }
  if (i == start) return std::u16string_view::npos;
  number->exponent = negative ? -exponent : exponent;
  return i;
}

// Trailing currency, one sign (if none led), the closing ")" and blanks.
bool ParseSuffix(std::u16string_view text, std::size_t i, NumberText* number) {
  bool closed = false;
  bool currency = false;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsBlank(c)) continue;
    if ((c == u'+' || c == u'-') && !number->signSeen) {
      number->signSeen = true;
      number->negative = c == u'-';
    } else if (c == u')' && number->parenthesised && !closed) {
      closed = true;
    } else if (c == kPound && !currency) {
      currency = true;
    } else {
      return false;
    }
  }
  return closed == number->parenthesised && !(number->parenthesised && number->signSeen);
}

HRESULT ToNumeric(const NumberText& number, Numeric* out) {
  *out = Numeric{};
  out->negative = number.negative || number.parenthesised;
  const std::size_t first = number.digits.find_first_not_of('0');
  const std::string significant = first == std::string::npos ? "0" : number.digits.substr(first);
  const long long scale = number.fractionDigits - number.exponent;
  if (significant.size() + (scale < 0 ? -scale : 0) <= kMaxExactDigits && scale <= kMaxExactDigits) {
    for (char d : significant) out->mantissa = out->mantissa * 10 + static_cast<unsigned>(d - '0');
    for (long long s = scale; s < 0; ++s) out->mantissa *= 10;
    out->scale = scale < 0 ? 0 : static_cast<int>(scale);
    return S_OK;
  }
  const std::string text = significant + "e" + std::to_string(-scale);
  out->isDouble = true;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out->real);
  if (error == std::errc::result_out_of_range) {
    if (significant == "0" || scale > 0) {
      out->real = 0;  // underflow reads as zero
    } else {
      return DISP_E_OVERFLOW;
    }
  }
  if (out->negative) out->real = -out->real;
  return S_OK;
}

}  // namespace

bool NumericFromVariant(const VARIANT& source, Numeric* out) {
  *out = Numeric{};
  auto exact = [out](long long v) {
    out->negative = v < 0;
    out->mantissa = v < 0 ? static_cast<UInt128>(-static_cast<__int128>(v)) : static_cast<UInt128>(v);
  };
  switch (source.vt) {
    case VT_I1: exact(static_cast<signed char>(source.cVal)); return true;
    case VT_UI1: exact(source.bVal); return true;
    case VT_I2: exact(source.iVal); return true;
    case VT_UI2: exact(source.uiVal); return true;
    case VT_I4: exact(source.lVal); return true;
    case VT_UI4: exact(source.ulVal); return true;
    case VT_INT: exact(source.intVal); return true;
    case VT_UINT: exact(source.uintVal); return true;
    case VT_I8: exact(source.llVal); return true;
    case VT_BOOL: exact(source.boolVal ? -1 : 0); return true;
    case VT_UI8: out->mantissa = source.ullVal; return true;
    case VT_CY: exact(source.cyVal.int64); out->scale = 4; return true;
    case VT_DECIMAL:
      out->mantissa = static_cast<UInt128>(source.decVal.Hi32) << 64 | source.decVal.u2.Lo64;
      out->scale = source.decVal.u.s.scale;
      out->negative = (source.decVal.u.s.sign & DECIMAL_NEG) != 0;
      return out->scale <= 28;
    case VT_R4: out->isDouble = true; out->real = source.fltVal; return true;
    case VT_R8: out->isDouble = true; out->real = source.dblVal; return true;
    case VT_DATE: out->isDouble = true; out->real = source.date; return true;
    default: return false;
  }
}

HRESULT NumericToVariant(const Numeric& value, VARTYPE vt, VARIANT* dest) {
  VariantInit(dest);
  HRESULT hr = S_OK;
  switch (vt) {
    case VT_I1: hr = StoreInteger(value, &dest->cVal); break;
    case VT_UI1: hr = StoreInteger(value, &dest->bVal); break;
    case VT_I2: hr = StoreInteger(value, &dest->iVal); break;
    case VT_UI2: hr = StoreInteger(value, &dest->uiVal); break;
    case VT_I4: hr = StoreInteger(value, &dest->lVal); break;
    case VT_UI4: hr = StoreInteger(value, &dest->ulVal); break;
    case VT_INT: hr = StoreInteger(value, &dest->intVal); break;
    case VT_UINT: hr = StoreInteger(value, &dest->uintVal); break;
    case VT_I8: hr = StoreInteger(value, &dest->llVal); break;
    case VT_UI8: hr = StoreInteger(value, &dest->ullVal); break;
    case VT_R4: case VT_R8: case VT_DATE: hr = StoreReal(value, vt, dest); break;
    case VT_CY: hr = StoreCurrency(value, &dest->cyVal); break;
    case VT_DECIMAL: hr = StoreDecimal(value, &dest->decVal); break;
    case VT_BOOL:
      dest->boolVal = (value.isDouble ? value.real != 0 : value.mantissa != 0) ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    default: return DISP_E_TYPEMISMATCH;
  }
  if (FAILED(hr)) return hr;
  dest->vt = vt;
  return S_OK;
}

HRESULT ParseNumber(std::u16string_view text, Numeric* out) {
  NumberText number;
  std::size_t i = ParsePrefix(text, &number);
  if (i + 1 < text.size() && text[i] == u'&' &&
      (text[i + 1] == u'H' || text[i + 1] == u'h' || text[i + 1] == u'O' || text[i + 1] == u'o')) {
    return ParseHex(text, i + 1, number, out);
  }
  i = ParseMantissa(text, i, &number);
  if (number.digits.empty()) return DISP_E_TYPEMISMATCH;
  i = ParseExponent(text, i, &number);
  if (i == std::u16string_view::npos || !ParseSuffix(text, i, &number)) return DISP_E_TYPEMISMATCH;
  return ToNumeric(number, out);
}

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string FormatInteger(long long value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return Widen(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

std::u16string FormatUnsigned(unsigned long long value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return Widen(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
}

std::u16string FormatDouble(double value, int digits) {
  if (std::isnan(value)) return u"1.#QNAN";
  if (std::isinf(value)) return value < 0 ? u"-1.#INF" : u"1.#INF";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  std::u16string text = Widen(std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)));
  for (auto& c : text) {
    if (c == u'e') c = u'E';
  }
  return text;
}

std::u16string FormatScaled(bool negative, UInt128 mantissa, int scale) {
  while (scale > 0 && mantissa % 10 == 0) {
    mantissa /= 10;
    --scale;
  }
  std::string digits = DecimalDigits(mantissa);
  if (scale > 0) {
    if (static_cast<int>(digits.size()) <= scale) digits.insert(0, static_cast<std::size_t>(scale) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<std::size_t>(scale), 1, '.');
  }
  if (negative && mantissa != 0) digits.insert(0, 1, '-');
  return Widen(digits);
}

}  // namespace zplatform::automation::detail

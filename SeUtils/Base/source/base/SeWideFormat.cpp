// printf-style formatting for UTF-16 formats and arguments (the C library's wide printf works on
// 32-bit wchar_t). Each conversion is handed to snprintf under the "C" locale, so numbers never
// take the process's decimal separator; texts are converted to UTF-8 and back.
#include <clocale>
#include <cstdio>
#include <locale.h>
#include <string>

#include "base/SeLogFormat.h"

namespace {

std::string ToUtf8(std::u16string_view text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::u16string FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::u16string out(static_cast<size_t>(size > 0 ? size : 0), u'\0');
  if (size > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

// Runs snprintf with the "C" locale current on this thread only.
template <class... Args>
std::string FormatC(const std::string& directive, Args... args) {
  static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  locale_t previous = uselocale(cLocale);
  const int size = std::snprintf(nullptr, 0, directive.c_str(), args...);
  std::string out(static_cast<size_t>(size > 0 ? size : 0) + 1, '\0');
  if (size > 0) std::snprintf(out.data(), out.size(), directive.c_str(), args...);
  uselocale(previous);
  out.resize(static_cast<size_t>(size > 0 ? size : 0));
  return out;
}

struct Conversion {
  std::string directive;     // "%" flags width precision (with '*' resolved), without length modifier
  std::string length;   // "", "h", "hh", "l", "ll", "z", "j", "t", "L", "I64"
  char type = 0;
};

// Parses one conversion after '%'; `i` ends after the type character.
Conversion ParseConversion(std::u16string_view format, size_t& i, va_list& arguments) {
  Conversion c{"%", "", 0};
  auto take = [&](auto accept) {
    while (i < format.size() && accept(format[i])) c.directive.push_back(static_cast<char>(format[i++]));
  };
  take([](char16_t ch) { return ch == u'-' || ch == u'+' || ch == u' ' || ch == u'#' || ch == u'0'; });
  auto widthOrStar = [&] {
    if (i < format.size() && format[i] == u'*') {
      c.directive += std::to_string(va_arg(arguments, int));
      ++i;
    } else {
      take([](char16_t ch) { return ch >= u'0' && ch <= u'9'; });
    }
  };
  widthOrStar();
  if (i < format.size() && format[i] == u'.') {
    c.directive.push_back('.');
    ++i;
    widthOrStar();
  }
  if (format.substr(i, 3) == u"I64") {
    c.length = "ll";
    i += 3;
  }
  while (i < format.size() && std::u16string_view(u"hlzjtL").find(format[i]) != std::u16string_view::npos) {
    c.length.push_back(static_cast<char>(format[i++]));
  }
  if (i < format.size()) c.type = static_cast<char>(format[i++]);
  return c;
}

std::string FormatInteger(const Conversion& c, va_list& arguments) {
  const std::string directive = c.directive + "ll" + c.type;
  const bool isSigned = c.type == 'd' || c.type == 'i';
  if (c.length == "ll" || c.length == "j" || c.length == "l" || c.length == "z" || c.length == "t") {
    return isSigned ? FormatC(directive, va_arg(arguments, long long)) : FormatC(directive, va_arg(arguments, unsigned long long));
  }
  const int value = va_arg(arguments, int);
  if (c.length == "h") return isSigned ? FormatC(directive, static_cast<long long>(static_cast<short>(value)))
                                       : FormatC(directive, static_cast<unsigned long long>(static_cast<unsigned short>(value)));
  if (c.length == "hh") return isSigned ? FormatC(directive, static_cast<long long>(static_cast<signed char>(value)))
                                        : FormatC(directive, static_cast<unsigned long long>(static_cast<unsigned char>(value)));
  return isSigned ? FormatC(directive, static_cast<long long>(value))
                  : FormatC(directive, static_cast<unsigned long long>(static_cast<unsigned int>(value)));
}

std::u16string FormatOne(const Conversion& c, va_list& arguments) {
  switch (c.type) {
    case 'd': case 'i': case 'u': case 'o': case 'x': case 'X':
      return FromUtf8(FormatInteger(c, arguments));
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
      return c.length == "L" ? FromUtf8(FormatC(c.directive + "L" + c.type, va_arg(arguments, long double)))
                             : FromUtf8(FormatC(c.directive + c.type, va_arg(arguments, double)));
    case 'p':
      return FromUtf8(FormatC(c.directive + "p", va_arg(arguments, void*)));
    case 'c': case 'C': {
      const char16_t ch = static_cast<char16_t>(va_arg(arguments, int));
      return FromUtf8(FormatC(c.directive + "s", ToUtf8(std::u16string_view(&ch, 1)).c_str()));
    }
    case 's': case 'S': {
      if (c.length == "h") {
        const char* text = va_arg(arguments, const char*);
        return FromUtf8(FormatC(c.directive + "s", text ? text : "(null)"));
      }
      const char16_t* text = va_arg(arguments, const char16_t*);
      return FromUtf8(FormatC(c.directive + "s", text ? ToUtf8(text).c_str() : "(null)"));
    }
    default:
      return {};
  }
}

}  // namespace

std::u16string SeFormatWideV(LPCWSTR format, va_list arguments) {
  std::u16string out;
  if (format == nullptr) return out;
  const std::u16string_view text(format);
  va_list args;
  va_copy(args, arguments);
  for (size_t i = 0; i < text.size();) {
    if (text[i] != u'%') {
      out.push_back(text[i++]);
      continue;
    }
    const size_t start = i++;
    if (i < text.size() && text[i] == u'%') {
      out.push_back(u'%');
      ++i;
      continue;
    }
    const Conversion c = ParseConversion(text, i, args);
    if (std::string_view("diuoxXfFeEgGaApcCsS").find(c.type) == std::string_view::npos || c.type == 0) {
      out.append(text.substr(start, i - start));
      continue;
    }
    out += FormatOne(c, args);
  }
  va_end(args);
  return out;
}

std::u16string SeFormatWide(LPCWSTR format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::u16string out = SeFormatWideV(format, arguments);
  va_end(arguments);
  return out;
}

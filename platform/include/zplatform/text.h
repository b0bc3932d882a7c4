// The one UTF-8 <-> UTF-16 converter and the one ASCII case folding of the project. Every layer
// (platform calls, slide library, common runtime, tools) converts and compares through these.
// Pure functions; ill-formed input never fails a conversion, it is replaced or reported through `valid`.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "api.h"

namespace zplatform {

// What an ill-formed UTF-8 sequence becomes: U+FFFD, or its first byte read as Latin-1 (text of
// old files that are not UTF-8 keeps its accented letters).
enum class BadUtf8 { Replace, Latin1 };

// Unpaired surrogates become U+FFFD; `valid`, when given, is cleared if there were any.
ZPLATFORM_API std::string Utf16ToUtf8(std::u16string_view text, bool* valid = nullptr);
// Overlong, surrogate, out-of-range and cut-short sequences are ill-formed; `valid` as above.
ZPLATFORM_API std::u16string Utf8ToUtf16(std::string_view text, bool* valid = nullptr,
                                         BadUtf8 bad = BadUtf8::Replace);

// ASCII letters to upper case; every other character as it is.
constexpr char16_t FoldCase(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

inline bool EqualsNoCase(std::u16string_view a, std::u16string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char16_t x, char16_t y) { return FoldCase(x) == FoldCase(y); });
}

// The same against an ASCII word.
inline bool EqualsNoCase(std::u16string_view a, std::string_view ascii) {
  return std::equal(a.begin(), a.end(), ascii.begin(), ascii.end(), [](char16_t x, char y) {
    return FoldCase(x) == FoldCase(static_cast<char16_t>(static_cast<unsigned char>(y)));
  });
}

}  // namespace zplatform

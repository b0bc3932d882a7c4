// UTF-16 <-> UTF-8 conversion, path spelling and buffer copying shared by the kernel calls.
// Pure functions; ill-formed input is replaced by U+FFFD unless the caller asks to be told.
#pragma once

#include <string>
#include <string_view>

#include "windows.h"

namespace zplatform::kernel {

// Converts; when `valid` is given it is set to false if the input was ill-formed.
std::string Utf16ToUtf8(std::u16string_view text, bool* valid = nullptr);
std::u16string Utf8ToUtf16(std::string_view text, bool* valid = nullptr);

// A Windows-style path as the file system spells it: UTF-8, '\' turned into '/'.
std::string NativePath(std::u16string_view path);
inline std::string NativePath(LPCWSTR path) { return path ? NativePath(std::u16string_view(path)) : std::string(); }

inline std::u16string_view View(LPCWSTR text) { return text ? std::u16string_view(text) : std::u16string_view(); }

// The "returns the length copied, or the size needed" convention of GetTempPathW and its kin:
// with room for text and NUL copies both and returns the text's length; otherwise copies nothing
// and returns the length plus one.
DWORD CopyOrRequiredSize(std::u16string_view text, LPWSTR buffer, DWORD bufferSize);

// ASCII case folding, the comparison the INI reader and the file matcher use.
char16_t FoldCase(char16_t c);
bool EqualsNoCase(std::u16string_view a, std::u16string_view b);

inline bool IsPathSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

}  // namespace zplatform::kernel

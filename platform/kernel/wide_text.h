// Path spelling and buffer copying shared by the kernel calls (text conversion and case folding:
// zplatform/text.h). Pure functions.
#pragma once

#include <string>
#include <string_view>

#include "windows.h"
#include "zplatform/text.h"

namespace zplatform::kernel {

using zplatform::EqualsNoCase;
using zplatform::FoldCase;
using zplatform::Utf16ToUtf8;
using zplatform::Utf8ToUtf16;

// A Windows-style path as the file system spells it: UTF-8, '\' turned into '/'.
std::string NativePath(std::u16string_view path);
inline std::string NativePath(LPCWSTR path) { return path ? NativePath(std::u16string_view(path)) : std::string(); }

inline std::u16string_view View(LPCWSTR text) { return text ? std::u16string_view(text) : std::u16string_view(); }

// The "returns the length copied, or the size needed" convention of GetTempPathW and its kin:
// with room for text and NUL copies both and returns the text's length; otherwise copies nothing
// and returns the length plus one.
DWORD CopyOrRequiredSize(std::u16string_view text, LPWSTR buffer, DWORD bufferSize);

inline bool IsPathSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

}  // namespace zplatform::kernel

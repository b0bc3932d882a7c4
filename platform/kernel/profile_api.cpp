// GetPrivateProfileStringW / GetPrivateProfileIntW: the file is read and parsed at each call
// (settings are read rarely), with the platform's return-value and truncation rules.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "kernel_object.h"
#include "profile_file.h"
#include "wide_text.h"

namespace zplatform::kernel {
namespace {

std::optional<ProfileFile> LoadProfile(LPCWSTR fileName) {
  if (fileName == nullptr) return std::nullopt;
  const int fd = ::open(NativePath(fileName).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char chunk[16384];
  ssize_t n;
  while ((n = ::read(fd, chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR)) {
    if (n > 0) bytes.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  if (n < 0) return std::nullopt;
  return ProfileFile::Parse(bytes);
}

// One value: truncated to nSize - 1 characters (ERROR_MORE_DATA) when it does not fit.
DWORD CopyValue(std::u16string_view value, LPWSTR buffer, DWORD size) {
  const size_t copied = std::min<size_t>(value.size(), size - 1);
  std::copy_n(value.begin(), copied, buffer);
  buffer[copied] = u'\0';
  SetLastError(copied < value.size() ? ERROR_MORE_DATA : ERROR_SUCCESS);
  return static_cast<DWORD>(copied);
}

// A list of names, each ending in NUL, with one more NUL at the end; when it does not fit it is
// cut to nSize - 2 characters followed by two NULs and nSize - 2 is returned.
DWORD CopyList(const std::vector<std::u16string>& names, LPWSTR buffer, DWORD size) {
  std::u16string joined;
  for (const auto& name : names) (joined += name) += u'\0';
  if (joined.size() + 1 <= size) {
    std::copy(joined.begin(), joined.end(), buffer);
    buffer[joined.size()] = u'\0';
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(joined.size());
  }
  if (size < 2) {
    buffer[0] = u'\0';
    return 0;
  }
  std::copy_n(joined.begin(), size - 2, buffer);
  buffer[size - 2] = buffer[size - 1] = u'\0';
  SetLastError(ERROR_MORE_DATA);
  return size - 2;
}

// The default with its trailing blanks removed, as the platform does.
std::u16string_view TrimmedDefault(LPCWSTR defaultValue) {
  std::u16string_view text = View(defaultValue);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  return text;
}

// Windows' profile integer: optional blanks and sign, then decimal digits or "0x" and hex digits,
// up to the first other character; no digits give 0.
UINT ParseProfileInt(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  const bool negative = i < text.size() && text[i] == u'-';
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) ++i;
  unsigned base = 10;
  if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    base = 16;
    i += 2;
  }
  UINT value = 0;
  for (; i < text.size(); ++i) {
    const char16_t c = FoldCase(text[i]);
    unsigned digit = c >= u'0' && c <= u'9' ? c - u'0' : base == 16 && c >= u'A' && c <= u'F' ? c - u'A' + 10 : 99;
    if (digit >= base) break;
    value = value * base + digit;
  }
  return negative ? 0u - value : value;
}

}  // namespace
}  // namespace zplatform::kernel

using namespace zplatform::kernel;

extern "C" ZPLATFORM_API DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                                       LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName) {
  if (lpReturnedString == nullptr || nSize == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const auto profile = LoadProfile(lpFileName);
  if (lpAppName == nullptr) return CopyList(profile ? profile->SectionNames() : std::vector<std::u16string>{},
                                            lpReturnedString, nSize);
  if (lpKeyName == nullptr) return CopyList(profile ? profile->KeyNames(lpAppName) : std::vector<std::u16string>{},
                                            lpReturnedString, nSize);
  const auto value = profile ? profile->Value(lpAppName, lpKeyName) : std::nullopt;
  if (value) return CopyValue(*value, lpReturnedString, nSize);
  const DWORD copied = CopyValue(TrimmedDefault(lpDefault), lpReturnedString, nSize);
  if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_FILE_NOT_FOUND);
  return copied;
}

extern "C" ZPLATFORM_API UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault,
                                                   LPCWSTR lpFileName) {
  const auto profile = LoadProfile(lpFileName);
  const auto value = profile && lpAppName && lpKeyName ? profile->Value(lpAppName, lpKeyName) : std::nullopt;
  if (!value) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return static_cast<UINT>(nDefault);
  }
  SetLastError(ERROR_SUCCESS);
  return ParseProfileInt(*value);
}

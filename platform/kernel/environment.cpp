// Environment, temp and current directory, and the process command line with Windows quoting.
// Variables are looked up by exact name first, then without regard to ASCII case (Windows
// names are case-insensitive). Thread-safe as far as the C library's environment is.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "kernel_object.h"
#include "wide_text.h"

extern char** environ;

namespace zplatform::kernel {
namespace {

std::optional<std::u16string> LookupVariable(std::u16string_view name) {
  if (name.empty() || name.find(u'=') != std::u16string_view::npos) return std::nullopt;
  const std::string native = Utf16ToUtf8(name);
  if (const char* value = std::getenv(native.c_str())) return Utf8ToUtf16(value);
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string_view text(*entry);
    const size_t equals = text.find('=');
    if (equals != std::string_view::npos && EqualsNoCase(Utf8ToUtf16(text.substr(0, equals)), name)) {
      return Utf8ToUtf16(text.substr(equals + 1));
    }
  }
  return std::nullopt;
}

// "%NAME%" replaced by the variable's value; unknown names and unmatched '%' stay as written.
std::u16string Expand(std::u16string_view source) {
  std::u16string result;
  size_t i = 0;
  while (i < source.size()) {
    const size_t open = source.find(u'%', i);
    const size_t close = open == source.npos ? source.npos : source.find(u'%', open + 1);
    if (close == source.npos) {
      result.append(source.substr(i));
      break;
    }
    result.append(source.substr(i, open - i));
    const auto value = LookupVariable(source.substr(open + 1, close - open - 1));
    if (value) {
      result += *value;
      i = close + 1;
    } else {
      result.append(source.substr(open, close - open));  // keep "%NAME"; the closing '%' may open the next
      i = close;
    }
  }
  return result;
}

// One argument as a Windows command line shows it, so that the platform's parser gives it back.
std::u16string QuoteArgument(const std::u16string& argument) {
  if (!argument.empty() && argument.find_first_of(u" \t\"") == std::u16string::npos) return argument;
  std::u16string quoted = u"\"";
  size_t backslashes = 0;
  for (char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, u'\\');
  return quoted + u"\"";
}

std::u16string ReadCommandLine() {
  std::string bytes;
  const int fd = ::open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    char chunk[4096];
    ssize_t n;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR)) {
      if (n > 0) bytes.append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
  }
  std::u16string line;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\0', start);
    if (end == std::string::npos) end = bytes.size();
    if (!line.empty()) line += u' ';
    line += QuoteArgument(Utf8ToUtf16(std::string_view(bytes).substr(start, end - start)));
    start = end + 1;
  }
  return line;
}

}  // namespace
}  // namespace zplatform::kernel

using namespace zplatform::kernel;

extern "C" ZPLATFORM_API DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
  const char* configured = std::getenv("TMPDIR");
  std::u16string path = Utf8ToUtf16(configured && *configured ? configured : "/tmp");
  if (!IsPathSeparator(path.back())) path += u'/';
  return CopyOrRequiredSize(path, lpBuffer, nBufferLength);
}

extern "C" ZPLATFORM_API DWORD GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer) {
  std::vector<char> native(4096);
  while (::getcwd(native.data(), native.size()) == nullptr) {
    if (errno != ERANGE) return FailFromErrno();
    native.resize(native.size() * 2);
  }
  return CopyOrRequiredSize(Utf8ToUtf16(native.data()), lpBuffer, nBufferLength);
}

extern "C" ZPLATFORM_API DWORD ExpandEnvironmentStringsW(LPCWSTR lpSrc, LPWSTR lpDst, DWORD nSize) {
  if (lpSrc == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const std::u16string expanded = Expand(lpSrc);
  const DWORD required = static_cast<DWORD>(expanded.size() + 1);
  if (lpDst != nullptr && required <= nSize) {
    std::copy(expanded.begin(), expanded.end(), lpDst);
    lpDst[expanded.size()] = u'\0';
  }
  return required;
}

extern "C" ZPLATFORM_API DWORD GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize) {
  const auto value = LookupVariable(View(lpName));
  if (!value) return Fail(ERROR_ENVVAR_NOT_FOUND);
  SetLastError(ERROR_SUCCESS);
  return CopyOrRequiredSize(*value, lpBuffer, nSize);
}

extern "C" ZPLATFORM_API BOOL SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue) {
  const std::u16string_view name = View(lpName);
  if (name.empty() || name.find(u'=') != std::u16string_view::npos) return Fail(ERROR_INVALID_PARAMETER);
  const std::string native = Utf16ToUtf8(name);
  const int result = lpValue ? ::setenv(native.c_str(), Utf16ToUtf8(lpValue).c_str(), 1) : ::unsetenv(native.c_str());
  return result == 0 ? TRUE : FailFromErrno();
}

extern "C" ZPLATFORM_API LPWSTR GetCommandLineW() {
  static std::u16string commandLine = ReadCommandLine();
  return commandLine.data();
}

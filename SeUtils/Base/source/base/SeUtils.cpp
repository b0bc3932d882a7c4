// Boolean words, settings readers and module/temp paths of the common runtime library.
// Stateless; failures are logged with the source "SeUtils" where a line is given for them.
#include "base/SeUtils.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <string>

#include "base/SeErrorHandler.h"
#include "zplatform/text.h"

namespace {

constexpr LPCWSTR kSource = u"SeUtils";
constexpr DWORD kIniValueChars = 260;  // values of at most 259 characters

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool StartsWithNoCase(const std::u16string& text, const char* prefix) {
  const size_t length = std::char_traits<char>::length(prefix);
  return text.size() >= length && zplatform::EqualsNoCase(std::u16string_view(text).substr(0, length), prefix);
}

HRESULT LastErrorOrFail() {
  const DWORD error = GetLastError();
  return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

std::u16string ReadIniValue(const std::u16string& iniFile, LPCWSTR section, LPCWSTR key) {
  char16_t buffer[kIniValueChars];
  const DWORD length = GetPrivateProfileStringW(section, key, u"", buffer, kIniValueChars, iniFile.c_str());
  return std::u16string(buffer, length);
}

}  // namespace

bool SeStringToBool(std::u16string_view text, bool& value) {
  text = Trim(text);
  for (const char* word : {"TRUE", "1", "YES", "ON"}) {
    if (zplatform::EqualsNoCase(text, word)) return value = true, true;
  }
  for (const char* word : {"FALSE", "0", "NO", "OFF"}) {
    if (zplatform::EqualsNoCase(text, word)) return value = false, true;
  }
  return false;
}

bool SeParseIniInt(std::u16string_view text, INT& value) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  std::string narrow;
  for (char16_t c : text) {
    if (c > 0x7F) return false;
    narrow.push_back(static_cast<char>(c));
  }
  const char* begin = narrow.data();
  if (!narrow.empty() && narrow.front() == '+') ++begin;
  double number = 0;
  const auto [end, error] = std::from_chars(begin, narrow.data() + narrow.size(), number);
  if (narrow.empty() || end != narrow.data() + narrow.size() || (error != std::errc() && error != std::errc::result_out_of_range)) {
    return false;
  }
  const double whole = std::trunc(number);
  value = error == std::errc() && whole >= INT_MIN && whole <= INT_MAX ? static_cast<INT>(whole) : INT_MIN;
  return true;
}

bool SeReadIniBool(const std::u16string& iniFile, LPCWSTR section, LPCWSTR key, bool defaultValue, bool& value) {
  if (SeStringToBool(ReadIniValue(iniFile, section, key), value)) return true;
  value = defaultValue;
  return false;
}

bool SeReadIniInt(const std::u16string& iniFile, LPCWSTR section, LPCWSTR key, INT defaultValue, INT& value) {
  if (SeParseIniInt(ReadIniValue(iniFile, section, key), value)) return true;
  value = defaultValue;
  return false;
}

std::u16string SeReadIniString(const std::u16string& iniFile, LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue) {
  const std::u16string fallback = defaultValue ? defaultValue : u"";
  std::u16string buffer(std::max<size_t>(kIniValueChars, fallback.size() + 1), u'\0');
  for (;;) {
    const DWORD length = GetPrivateProfileStringW(section, key, fallback.c_str(), buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), iniFile.c_str());
    if (length + 1 < buffer.size()) return buffer.substr(0, length);
    buffer.assign(buffer.size() * 2, u'\0');  // the value filled the buffer: it may have been cut
  }
}

HRESULT SeSplitModulePath(std::u16string path, std::u16string* directory, std::u16string* fileName) {
  if (path.size() >= 8 && StartsWithNoCase(path, "\\\\?\\UNC\\")) {
    path.replace(0, 8, u"\\\\");
  } else if (path.size() >= 4 && StartsWithNoCase(path, "\\\\?\\")) {
    path.erase(0, 4);
  }
  if (path.empty()) {
    if (directory) directory->clear();
    if (fileName) fileName->clear();
    return E_FAIL;
  }
  const size_t cut = path.find_last_of(u"/\\");
  if (directory) *directory = cut == std::u16string::npos ? std::u16string() : path.substr(0, cut);
  if (fileName) *fileName = cut == std::u16string::npos ? path : path.substr(cut + 1);
  return S_OK;
}

HRESULT GetModuleDirAndFileName(HMODULE module, std::u16string* directory, std::u16string* fileName) {
  char16_t buffer[MAX_PATH];
  SetLastError(ERROR_SUCCESS);
  const DWORD length = GetModuleFileNameW(module, buffer, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return LastErrorOrFail();
  return SeSplitModulePath(std::u16string(buffer, length), directory, fileName);
}

HRESULT GetModuleDirAndFileName(std::u16string* directory, std::u16string* fileName) {
  const HRESULT hr = GetModuleDirAndFileName(nullptr, directory, fileName);
  if (FAILED(hr)) {
    SeReportError(kSource, 1508, hr, u"GetModuleDirAndFileName");
    return SeReportError(kSource, 1515, hr, u"GetModuleDirAndFileName");
  }
  return hr;
}

HRESULT SeGetTempPathUnlogged(std::u16string& directory) {
  std::u16string buffer(MAX_PATH, u'\0');
  SetLastError(ERROR_SUCCESS);
  DWORD length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  while (length > buffer.size()) {
    buffer.assign(length + 6, u'\0');
    length = GetTempPathW(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  if (length == 0) {
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
  }
  buffer.resize(length);
  const size_t cut = buffer.find_last_of(u"/\\");
  directory = cut == std::u16string::npos ? buffer : buffer.substr(0, cut);
  return S_OK;
}

HRESULT SeGetTempPath(std::u16string& directory) {
  const HRESULT hr = SeGetTempPathUnlogged(directory);
  if (SUCCEEDED(hr)) return S_OK;
  return SeReportError(kSource, hr == E_FAIL ? 1533 : 1532, hr, u"SeGetTempPath");
}

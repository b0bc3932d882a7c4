// The project's UTF-16 <-> UTF-8 converter and the MultiByteToWideChar / WideCharToMultiByte calls.
// Hand-written because the standard library's converters are deprecated and locale-bound.
#include "wide_text.h"

#include <algorithm>
#include <cstring>

namespace zplatform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

// Decodes one UTF-8 sequence at text[i] and advances i past it. An ill-formed sequence (overlong,
// surrogate, beyond U+10FFFF or cut short) clears ok and gives kReplacement, or with Latin1 its lead
// byte alone, consumed as one character.
char32_t DecodeUtf8(std::string_view text, size_t& i, bool& ok, BadUtf8 bad) {
  const size_t start = i;
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  const auto illFormed = [&] {
    ok = false;
    if (bad == BadUtf8::Replace) return kReplacement;
    i = start + 1;
    return static_cast<char32_t>(lead);
  };
  int extra = lead >= 0xF0 && lead <= 0xF4 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : -1;
  if (extra < 0) return illFormed();
  char32_t cp = lead & (0x3F >> extra);
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return illFormed();
    cp = (cp << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
  }
  const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
  if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return illFormed();
  return cp;
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text, bool* valid) {
  std::string out;
  out.reserve(text.size());
  bool ok = true;
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      ok = false;
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  if (valid) *valid = ok;
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text, bool* valid, BadUtf8 bad) {
  std::u16string out;
  out.reserve(text.size());
  bool ok = true;
  for (size_t i = 0; i < text.size();) AppendUtf16(out, DecodeUtf8(text, i, ok, bad));
  if (valid) *valid = ok;
  return out;
}

}  // namespace zplatform

namespace zplatform::kernel {

std::string NativePath(std::u16string_view path) {
  std::string native = Utf16ToUtf8(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

DWORD CopyOrRequiredSize(std::u16string_view text, LPWSTR buffer, DWORD bufferSize) {
  if (buffer == nullptr || text.size() >= bufferSize) return static_cast<DWORD>(text.size() + 1);
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = u'\0';
  return static_cast<DWORD>(text.size());
}

}  // namespace zplatform::kernel

using namespace zplatform::kernel;

namespace {

// Copies `converted` (plus a NUL when the input's length was given as -1) into the caller's buffer
// of `capacity` units, or reports the size needed when capacity is 0.
template <class Char>
int DeliverConverted(const std::basic_string<Char>& converted, Char* out, int capacity) {
  if (capacity == 0) return static_cast<int>(converted.size());
  if (out == nullptr || capacity < 0 || converted.size() > static_cast<size_t>(capacity)) {
    SetLastError(out == nullptr || capacity < 0 ? ERROR_INVALID_PARAMETER : ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(converted.begin(), converted.end(), out);
  return static_cast<int>(converted.size());
}

}  // namespace

extern "C" ZPLATFORM_API int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                                 LPWSTR lpWideCharStr, int cchWideChar) {
  if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || (CodePage != CP_UTF8 && CodePage != CP_ACP)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
  bool valid = true;
  std::u16string converted = zplatform::Utf8ToUtf16(std::string_view(lpMultiByteStr, length), &valid);
  if (!valid && (dwFlags & MB_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  return DeliverConverted(converted, lpWideCharStr, cchWideChar);
}

extern "C" ZPLATFORM_API int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                                 LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                                 BOOL* lpUsedDefaultChar) {
  if (lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || (CodePage != CP_UTF8 && CodePage != CP_ACP) ||
      (CodePage == CP_UTF8 && (lpDefaultChar || lpUsedDefaultChar))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t length =
      cchWideChar == -1 ? std::char_traits<char16_t>::length(lpWideCharStr) + 1 : static_cast<size_t>(cchWideChar);
  bool valid = true;
  std::string converted = zplatform::Utf16ToUtf8(std::u16string_view(lpWideCharStr, length), &valid);
  if (!valid && (dwFlags & WC_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  return DeliverConverted(converted, lpMultiByteStr, cbMultiByte);
}

// Free functions of the common runtime library: boolean words, settings readers, module and
// temp paths, and text/number/VARIANT conversions under the fixed locale 2057 (English, UK).
// Stateless and thread-safe; failures are logged with the source "SeUtils" and returned.
#pragma once

#include <string>
#include <string_view>

#include "oleauto.h"
#include "windows.h"

inline constexpr LCID kSeNoLocale = 2057;  // English (United Kingdom), used without user overrides

// Word form: "TRUE", "1", "YES", "ON" / "FALSE", "0", "NO", "OFF", case and surrounding white
// space ignored. Answers whether the text was one of them; `value` is only set when it was.
bool SeStringToBool(std::u16string_view text, bool& value);
// Full form: the word form, else a number (non-zero is true), else a boolean text under 2057;
// E_FAIL (value false) when none applies. A null text is E_POINTER.
HRESULT SeStringToBool(LPCWSTR text, bool* value);

// Settings readers over a private-profile file. Bool and Int answer whether the key held a usable
// value; otherwise `value` becomes the default.
bool SeReadIniBool(const std::u16string& iniFile, LPCWSTR section, LPCWSTR key, bool defaultValue, bool& value);
bool SeReadIniInt(const std::u16string& iniFile, LPCWSTR section, LPCWSTR key, INT defaultValue, INT& value);
std::u16string SeReadIniString(const std::u16string& iniFile, LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue);
// The integer rule of SeReadIniInt on a text: decimal with leading blanks and a fraction cut
// toward zero; out of the 32-bit range gives INT_MIN; false for an empty text or trailing rest.
bool SeParseIniInt(std::u16string_view text, INT& value);

// Directory and file name of a module (null: the executable); long-path prefixes removed.
// Either out may be null. Logs nothing.
HRESULT GetModuleDirAndFileName(HMODULE module, std::u16string* directory, std::u16string* fileName);
// The same for the executable, logging a failure.
HRESULT GetModuleDirAndFileName(std::u16string* directory, std::u16string* fileName);
// Splits a module path as GetModuleDirAndFileName does (pure; E_FAIL for an empty path).
HRESULT SeSplitModulePath(std::u16string path, std::u16string* directory, std::u16string* fileName);
// The temp directory without its trailing separator; `directory` unchanged on failure.
HRESULT SeGetTempPath(std::u16string& directory);
// The same without logging a failure: for the log's own creation, which must not report into
// the log it is creating.
HRESULT SeGetTempPathUnlogged(std::u16string& directory);

// VARIANT conversions.
HRESULT SeTypeToVariant(INT value, VARIANT* out);
HRESULT SeTypeToVariant(LPCWSTR value, VARIANT* out);
HRESULT SeTypeToVariant(bool value, VARIANT* out);
HRESULT SeChangeVariantType(const VARIANT& source, VARIANT* out, VARTYPE target, LCID locale,
                            bool useUserOverrides);
HRESULT SeChangeVariantTypeNoLocale(const VARIANT& source, VARIANT* out, VARTYPE target);
// The VARIANT as text under 2057; an overflow is reported as DISP_E_TYPEMISMATCH.
HRESULT SeVariantToTypeNoLocale(const VARIANT& value, std::u16string& text);

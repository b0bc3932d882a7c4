// Texts of the error log: the entry line, the run banner and printf-style wide formatting.
// Pure functions of their arguments (no clock, no file); the log object supplies time and ids.
#pragma once

#include <cstdarg>
#include <string>

#include "windows.h"

// One entry: time stamp, " Module=<name> File=<file>" when a file is given, " Line=<n>" when n >= 0,
// " Function=<name>" when given, " ThreadID=<id> ", the message, CR LF.
std::u16string SeFormatLogEntry(const SYSTEMTIME& localTime, const std::u16string& moduleName, LPCWSTR sourceFile,
                                INT line, LPCWSTR functionName, DWORD threadId, LPCWSTR message);

// The banner in front of a run's first entry; a null creation time gives the "unknown time" form.
std::u16string SeFormatRunBanner(const std::u16string& modulePath, const std::u16string& processPath,
                                 const SYSTEMTIME* processCreatedLocal, const std::u16string& buildDate,
                                 const std::u16string& buildTime, const std::u16string& version,
                                 const std::u16string& branch);

// printf-style formatting of a wide format: flags, width, precision and length modifiers as in C;
// %s, %ls and %S take a wide (UTF-16) text, %hs a narrow UTF-8 one; numbers never depend on the
// C locale. An unknown conversion is copied as written.
std::u16string SeFormatWideV(LPCWSTR format, va_list arguments);
std::u16string SeFormatWide(LPCWSTR format, ...);

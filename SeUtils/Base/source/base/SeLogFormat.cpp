// The error log's entry line and run banner, byte for byte.
// Numbers are formatted with snprintf of integers only, which no locale changes.
#include <cstdio>

#include "base/SeLogFormat.h"

namespace {

void AppendAscii(std::u16string& out, const char* text) {
  for (; *text; ++text) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*text)));
}

void AppendTimestamp(std::u16string& out, const SYSTEMTIME& t, const char* format) {
  char text[64];
  std::snprintf(text, sizeof text, format, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                t.wMilliseconds);
  AppendAscii(out, text);
}

}  // namespace

std::u16string SeFormatLogEntry(const SYSTEMTIME& localTime, const std::u16string& moduleName, LPCWSTR sourceFile,
                                INT line, LPCWSTR functionName, DWORD threadId, LPCWSTR message) {
  std::u16string entry;
  AppendTimestamp(entry, localTime, "%4d.%02d.%02d %02d:%02d:%02d.%03d");
  if (sourceFile) {
    entry += u" Module=" + moduleName + u" File=" + sourceFile;
  }
  char number[32];
  if (line >= 0) {
    std::snprintf(number, sizeof number, " Line=%d", line);
    AppendAscii(entry, number);
  }
  if (functionName) entry += std::u16string(u" Function=") + functionName;
  std::snprintf(number, sizeof number, " ThreadID=%d ", static_cast<int>(threadId));
  AppendAscii(entry, number);
  if (message) entry += message;
  return entry + u"\r\n";
}

std::u16string SeFormatRunBanner(const std::u16string& modulePath, const std::u16string& processPath,
                                 const SYSTEMTIME* processCreatedLocal, const std::u16string& buildDate,
                                 const std::u16string& buildTime, const std::u16string& version,
                                 const std::u16string& branch) {
  const std::u16string separator = std::u16string(144, u'*') + u"\r\n";
  std::u16string banner = separator;
  banner += u"NEW RUN\r\nModule: (" + modulePath + u") \r\nProcess: (" + processPath + u")\r\n";
  if (processCreatedLocal) {
    banner += u"Process created at:";
    AppendTimestamp(banner, *processCreatedLocal, "%4d.%02d.%02d  %02d:%02d:%02d.%03d");
    banner += u"\r\n";
  } else {
    banner += u"Process created at unknown time\r\n";
  }
  banner += u"Module compiled at:" + buildDate + u"  " + buildTime + u"   Version:" + version + u" Branch:" + branch +
            u"\r\n";
  return banner + separator;
}

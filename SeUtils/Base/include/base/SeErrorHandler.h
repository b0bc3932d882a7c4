// The module's error log: settings from ModuleSettings.ini, the log file's place and name, the
// entry line, the run banner, the size cut and the named mutex that serialises writers.
// Thread-safe: all fields are set during construction; writes are serialised by the named mutex.
#pragma once

#include <atomic>
#include <string>

#include "base/SeBuildIdentity.h"
#include "windows.h"

// Settings read from ModuleSettings.ini, after clamping and correction.
struct SeLogSettings {
  bool applicationLogOn = false;      // DEBUG/APPLOG
  bool cutOffOn = true;               // DEBUG/APPLOGCUTOFF
  bool useTempDirectory = true;       // DEBUG/UseTempDirectory
  INT cutOffSizeKB = 8192;            // DEBUG/APPLOGCUTOFFSIZEINKBYTE, 8192..1048576
  std::u16string directory;           // DEBUG/Directory, trailing separators removed
  std::u16string versionString;       // DEBUG/VersionString
  bool appendVersionToLogDir = false; // DEBUG/AppendSoftwareVersionToLogDir
};

// What the log learns about its process; the normal constructor asks the platform, tests give
// their own.
struct SeLogProcessFacts {
  std::u16string processPath;  // full path of the executable; empty when unknown
  std::u16string modulePath;   // full path of the module containing the log; empty when unknown
  std::u16string commandLine;  // the process command line (for the IIS worker's pool name)
  HMODULE moduleHandle = nullptr;
};

class CSeErrorLogFile {
 public:
  explicit CSeErrorLogFile(const SeBuildIdentity& identity);
  CSeErrorLogFile(const SeBuildIdentity& identity, const SeLogProcessFacts& facts);
  ~CSeErrorLogFile();
  CSeErrorLogFile(const CSeErrorLogFile&) = delete;
  CSeErrorLogFile& operator=(const CSeErrorLogFile&) = delete;

  // Writes "Code=0x%X" for the code when the application log is on; never fails.
  void LogError(LPCWSTR sourceFile, INT line, HRESULT code, LPCWSTR functionName) {
    if (m_settings.applicationLogOn) WriteCode(sourceFile, line, code, functionName);
  }
  // Formats a wide printf-style message (%s takes a wide text) when the application log is on.
  void LogFormatted(LPCWSTR sourceFile, INT line, LPCWSTR format, ...);
  // Writes one entry whatever the switch says (the callers test it).
  void WriteEntry(LPCWSTR sourceFile, INT line, LPCWSTR functionName, LPCWSTR message);

  const std::u16string& GetLogFilePath() const { return m_logFilePath; }
  const std::u16string& GetModuleName() const { return m_moduleName; }
  const std::u16string& GetProcessPath() const { return m_processPath; }

 private:
  void Init(const SeLogProcessFacts& facts);
  void WriteCode(LPCWSTR sourceFile, INT line, HRESULT code, LPCWSTR functionName);
  void AppendToFile(const std::u16string& entry);
  void CutFile(HANDLE file, LONGLONG size);

  SeLogSettings m_settings;
  std::atomic<bool> m_writtenThisRun{false};  // guarded by m_mutex when there is one
  std::u16string m_processPath;
  std::u16string m_moduleName;                // file name without extension, or "UNKNOWN"
  std::u16string m_logFilePath;               // empty: nothing is ever written
  std::u16string m_buildDate, m_buildTime, m_version, m_branch;
  std::u16string m_runBanner;
  HANDLE m_mutex = nullptr;                   // "Mutex_ErrorLogFile_" + log file name; may be null
};

// The module's one log, created (and initialised) by the first call; destroyed at unload.
CSeErrorLogFile* SeGetErrorLogFile();

// Logs a failure at a reporting site and gives the code back, so a site reads
// `return SeReportError(kSource, 1087, hr, u"Class::Method");`.
inline HRESULT SeReportError(LPCWSTR sourceFile, INT line, HRESULT code, LPCWSTR functionName) {
  SeGetErrorLogFile()->LogError(sourceFile, line, code, functionName);
  return code;
}

// SeReportError bound to a file's source name and, optionally, the function name most of its sites
// report under: `constexpr SeErrorReporter Report{kSource, kFunction};`, then `return Report(1087, hr);`
// or `return Report(1087, hr, u"Class::Method");`.
class SeErrorReporter {
 public:
  constexpr explicit SeErrorReporter(LPCWSTR sourceFile, LPCWSTR functionName = nullptr)
      : m_sourceFile(sourceFile), m_functionName(functionName) {}
  HRESULT operator()(INT line, HRESULT code) const { return SeReportError(m_sourceFile, line, code, m_functionName); }
  HRESULT operator()(INT line, HRESULT code, LPCWSTR functionName) const {
    return SeReportError(m_sourceFile, line, code, functionName);
  }

 private:
  LPCWSTR m_sourceFile;
  LPCWSTR m_functionName;
};

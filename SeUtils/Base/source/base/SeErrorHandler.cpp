// The module's error log: initialisation from the process, settings and build identity, and
// writing entries (open, cut, append, close per entry under the named mutex).
// Reporting never fails: every problem of the file or mutex loses the entry silently.
#include "base/SeErrorHandler.h"

#include <algorithm>
#include <cstdarg>
#include <memory>
#include <vector>

#include "base/SeLogFormat.h"
#include "base/SeLogLocation.h"
#include "base/SeUtils.h"

namespace {

constexpr LPCWSTR kSource = u"SeErrorHandler";
constexpr LONGLONG kCutChunkBytes = 262144;
constexpr LONGLONG kMaxKeepKB = 524288;

std::u16string Text(LPCWSTR text) { return text ? std::u16string(text) : std::u16string(); }

// "name.ext" from the target name's file part (cut before its last '.') and the extension.
std::u16string ModuleNameHint(const SeBuildIdentity& identity) {
  std::u16string target = Text(identity.targetName);
  const size_t cut = target.rfind(u'\\');
  if (cut != std::u16string::npos) target.erase(0, cut + 1);
  const size_t dot = target.rfind(u'.');
  if (dot != std::u16string::npos) target.resize(dot);
  const std::u16string extension = Text(identity.extension);
  return target.empty() || extension.empty() ? std::u16string() : target + u"." + extension;
}

std::u16string JoinedPath(HMODULE module) {
  std::u16string directory, fileName;
  if (FAILED(GetModuleDirAndFileName(module, &directory, &fileName))) return {};
  return directory.empty() ? fileName : directory + kSePathSeparator + fileName;
}

// The facts the platform gives about this process and the module that contains this code.
SeLogProcessFacts CurrentProcessFacts(const std::u16string& moduleNameHint) {
  SeLogProcessFacts facts;
  const auto self = reinterpret_cast<LPCWSTR>(&CurrentProcessFacts);
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, self,
                          &facts.moduleHandle) &&
      !moduleNameHint.empty()) {
    facts.moduleHandle = GetModuleHandleW(moduleNameHint.c_str());
  }
  facts.processPath = JoinedPath(nullptr);
  facts.modulePath = facts.moduleHandle ? JoinedPath(facts.moduleHandle) : std::u16string();
  if (LPCWSTR line = GetCommandLineW()) facts.commandLine = line;
  return facts;
}

// The process's creation time in local time, or false when any step fails.
bool ProcessCreatedLocal(SYSTEMTIME& created) {
  FILETIME creation{}, exitTime{}, kernel{}, user{}, local{};
  return GetProcessTimes(GetCurrentProcess(), &creation, &exitTime, &kernel, &user) &&
         FileTimeToLocalFileTime(&creation, &local) && FileTimeToSystemTime(&local, &created);
}

}  // namespace

CSeErrorLogFile::CSeErrorLogFile(const SeBuildIdentity& identity)
    : m_buildDate(Text(identity.buildDate)),
      m_buildTime(Text(identity.buildTime)),
      m_version(Text(identity.version)),
      m_branch(Text(identity.branch)) {
  Init(CurrentProcessFacts(ModuleNameHint(identity)));
}

CSeErrorLogFile::CSeErrorLogFile(const SeBuildIdentity& identity, const SeLogProcessFacts& facts)
    : m_buildDate(Text(identity.buildDate)),
      m_buildTime(Text(identity.buildTime)),
      m_version(Text(identity.version)),
      m_branch(Text(identity.branch)) {
  Init(facts);
}

CSeErrorLogFile::~CSeErrorLogFile() {
  if (m_mutex) CloseHandle(m_mutex);
  m_mutex = nullptr;
}

void CSeErrorLogFile::Init(const SeLogProcessFacts& facts) {
  m_processPath = facts.processPath;
  const std::u16string& modulePath = facts.modulePath;
  const SeLogLocation location = SeResolveLogLocation(m_processPath, modulePath, facts.commandLine);
  m_settings = SeReadLogSettings(location.settingsDirectory);
  m_logFilePath = SeResolveLogFilePath(m_settings, location);
  if (!location.logFileName.empty()) {
    m_mutex = CreateMutexW(nullptr, FALSE, (u"Mutex_ErrorLogFile_" + location.logFileName).c_str());
  }
  SYSTEMTIME created{};
  const bool known = ProcessCreatedLocal(created);
  m_runBanner = SeFormatRunBanner(modulePath, m_processPath, known ? &created : nullptr, m_buildDate, m_buildTime,
                                  m_version, m_branch);
  m_moduleName = SeModuleNameOf(modulePath);
  if (m_settings.applicationLogOn) {
    const std::u16string message = u"Module: " + m_moduleName + u",Logging started, logging switched on";
    WriteEntry(kSource, 484, u"CSeErrorLogFile::Init", message.c_str());
  }
}

void CSeErrorLogFile::WriteCode(LPCWSTR sourceFile, INT line, HRESULT code, LPCWSTR functionName) {
  const std::u16string message = SeFormatWide(u"Code=0x%X", static_cast<unsigned>(code));
  WriteEntry(sourceFile, line, functionName, message.c_str());
}

void CSeErrorLogFile::LogFormatted(LPCWSTR sourceFile, INT line, LPCWSTR format, ...) {
  if (!m_settings.applicationLogOn) return;
  va_list arguments;
  va_start(arguments, format);
  const std::u16string message = SeFormatWideV(format, arguments);
  va_end(arguments);
  WriteEntry(sourceFile, line, nullptr, message.c_str());
}

void CSeErrorLogFile::WriteEntry(LPCWSTR sourceFile, INT line, LPCWSTR functionName, LPCWSTR message) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const std::u16string entry =
      SeFormatLogEntry(now, m_moduleName, sourceFile, line, functionName, GetCurrentThreadId(), message);
  bool waited = false;
  if (m_mutex) {
    const DWORD result = WaitForSingleObject(m_mutex, INFINITE);
    waited = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  }
  if (!m_logFilePath.empty()) AppendToFile(entry);
  if (waited) ReleaseMutex(m_mutex);
}

// Writer lock held (the named mutex, when there is one).
void CSeErrorLogFile::AppendToFile(const std::u16string& entry) {
  const std::u16string text = m_writtenThisRun ? entry : m_runBanner + entry;
  std::string bytes;
  const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  bytes.resize(static_cast<size_t>(std::max(size, 0)));
  if (size <= 0 || WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                       bytes.data(), size, nullptr, nullptr) != size) {
    bytes = "NO DATA";
  }
  HANDLE file = CreateFileW(m_logFilePath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER zero{}, end{};
  if (SetFilePointerEx(file, zero, &end, FILE_END)) {
    if (m_settings.cutOffOn && end.QuadPart > static_cast<LONGLONG>(m_settings.cutOffSizeKB) * 1024) {
      CutFile(file, end.QuadPart);
      SetFilePointerEx(file, zero, &end, FILE_END);
    }
    DWORD written = 0;
    if (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size()) {
      m_writtenThisRun = true;
    }
  }
  CloseHandle(file);
}

// Keeps the file's last min(cut-off / 2, 512 MB) bytes: copies them to the start in chunks and
// truncates. Any failure ends the cut where it is.
void CSeErrorLogFile::CutFile(HANDLE file, LONGLONG size) {
  const LONGLONG keep = std::min<LONGLONG>(m_settings.cutOffSizeKB / 2, kMaxKeepKB) * 1024;
  if (size <= keep) return;
  std::vector<char> chunk(kCutChunkBytes);
  LARGE_INTEGER source{}, destination{};
  source.QuadPart = size - keep;
  for (;;) {
    DWORD read = 0, written = 0;
    if (!SetFilePointerEx(file, source, nullptr, FILE_BEGIN) ||
        !ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr)) {
      return;
    }
    if (read == 0) break;
    if (!SetFilePointerEx(file, destination, nullptr, FILE_BEGIN) ||
        !WriteFile(file, chunk.data(), read, &written, nullptr) || written != read) {
      return;
    }
    source.QuadPart += read;
    destination.QuadPart += read;
  }
  if (SetFilePointerEx(file, destination, nullptr, FILE_BEGIN)) SetEndOfFile(file);
}

CSeErrorLogFile* SeGetErrorLogFile() {
  static CSeErrorLogFile log(SeModuleBuildIdentity);  // thread-safe one-time creation
  return &log;
}

namespace {
// The module creates its log while it is being loaded, before any class object is handed out.
[[maybe_unused]] const CSeErrorLogFile* const kLogCreatedAtLoad = SeGetErrorLogFile();
}  // namespace

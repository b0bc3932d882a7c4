// Where the error log lives: settings file and log file name from the process and module paths
// (host processes read the settings beside the module; IIS workers add their application pool),
// the settings themselves, and the log directory with its fall-backs.
#include "base/SeLogLocation.h"

#include <algorithm>
#include <regex>

#include "base/SeUtils.h"
#include "zplatform/text.h"

namespace {

constexpr const char16_t* kHostProcessNames[] = {u"DLLHOST.EXE", u"REGSVR32.EXE",  u"MSIEXEC.EXE", u"INETINFO.EXE",
                                                 u"W3WP.EXE",    u"DOTNET.EXE",    u"IISEXPRESS.EXE",
                                                 u"PHP-CGI.EXE"};

bool IsSeparator(char16_t c) { return c == u'/' || c == u'\\'; }

size_t LastSeparator(const std::u16string& path) { return path.find_last_of(u"/\\"); }

std::u16string Upper(std::u16string text) {
  for (char16_t& c : text) c = zplatform::FoldCase(c);
  return text;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f'; }

// "_" + the application pool named by "-ap" or "/ap" on an IIS worker's command line, or empty.
std::u16string AppPoolSuffix(const std::u16string& commandLine) {
  const std::wstring line(commandLine.begin(), commandLine.end());
  static const std::wregex pattern(L"[-/]ap\\s+(\"[^\"]+\"|[^\\s\"]+)", std::regex::ECMAScript | std::regex::icase);
  std::wsmatch match;
  if (!std::regex_search(line, match, pattern)) return {};
  std::wstring pool = match[1].str();
  while (!pool.empty() && IsBlank(pool.back())) pool.pop_back();
  pool.erase(0, std::min(pool.size(), pool.find_first_not_of(L" \t\r\n\v\f")));
  while (!pool.empty() && pool.back() == L'"') pool.pop_back();
  pool.erase(0, std::min(pool.size(), pool.find_first_not_of(L'"')));
  std::u16string suffix = u"_";
  for (wchar_t c : pool) suffix.push_back(static_cast<char16_t>(c));
  return suffix;
}

// The path whose directory holds the settings and whose file name names the log.
std::u16string CandidatePath(const std::u16string& processPath, const std::u16string& modulePath) {
  const std::u16string upper = Upper(processPath);
  const bool hosted = std::any_of(std::begin(kHostProcessNames), std::end(kHostProcessNames),
                                  [&](const char16_t* name) { return upper.find(name) != std::u16string::npos; });
  if (!hosted) return processPath;
  const size_t moduleCut = LastSeparator(modulePath);
  if (moduleCut == std::u16string::npos) return processPath;
  const size_t processCut = LastSeparator(processPath);
  const std::u16string processFile = processCut == std::u16string::npos ? processPath : processPath.substr(processCut + 1);
  return modulePath.substr(0, moduleCut + 1) + processFile;
}

std::u16string LogBaseName(const std::u16string& fileName) {
  const size_t dot = fileName.rfind(u'.');
  if (fileName.empty() || dot == 0) return u"Application";
  return dot == std::u16string::npos ? fileName : fileName.substr(0, dot);
}

std::u16string WithoutTrailingSeparators(std::u16string path) {
  while (!path.empty() && IsSeparator(path.back())) path.pop_back();
  return path;
}

// The directory before expansion: the setting, else the temp directory, the settings directory
// or the current directory.
std::u16string UnexpandedLogDirectory(const SeLogSettings& settings, const SeLogLocation& location) {
  std::u16string directory = settings.directory;
  if (!directory.empty()) return directory;
  // This runs while the log is being created: a failure must not be reported into it.
  if (settings.useTempDirectory && FAILED(SeGetTempPathUnlogged(directory))) directory.clear();
  if (directory.empty()) directory = location.settingsDirectory;
  if (directory.empty()) {
    char16_t current[MAX_PATH];
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    if (length >= 1 && length < MAX_PATH) directory.assign(current, length);
  }
  return directory;
}

}  // namespace

SeLogLocation SeResolveLogLocation(const std::u16string& processPath, const std::u16string& modulePath,
                                   const std::u16string& commandLine) {
  const std::u16string candidate = CandidatePath(processPath, modulePath);
  const std::u16string suffix =
      Upper(processPath).find(u"W3WP.EXE") != std::u16string::npos ? AppPoolSuffix(commandLine) : std::u16string();
  const size_t cut = LastSeparator(candidate);
  SeLogLocation location;
  location.settingsDirectory = cut == std::u16string::npos ? std::u16string() : candidate.substr(0, cut);
  const std::u16string fileName = cut == std::u16string::npos ? candidate : candidate.substr(cut + 1);
  location.logFileName = LogBaseName(fileName) + suffix + u".log";
  return location;
}

SeLogSettings SeReadLogSettings(const std::u16string& settingsDirectory) {
  SeLogSettings s;
  if (settingsDirectory.empty()) return s;
  const std::u16string file = settingsDirectory + kSePathSeparator + u"ModuleSettings.ini";
  SeReadIniBool(file, u"DEBUG", u"APPLOG", false, s.applicationLogOn);
  SeReadIniBool(file, u"DEBUG", u"APPLOGCUTOFF", true, s.cutOffOn);
  SeReadIniBool(file, u"DEBUG", u"UseTempDirectory", true, s.useTempDirectory);
  SeReadIniInt(file, u"DEBUG", u"APPLOGCUTOFFSIZEINKBYTE", 8192, s.cutOffSizeKB);
  s.cutOffSizeKB = std::clamp(s.cutOffSizeKB, 8192, 1048576);
  s.directory = WithoutTrailingSeparators(SeReadIniString(file, u"DEBUG", u"Directory", u""));
  s.versionString = SeReadIniString(file, u"DEBUG", u"VersionString", u"");
  SeReadIniBool(file, u"DEBUG", u"AppendSoftwareVersionToLogDir", false, s.appendVersionToLogDir);
  return s;
}

std::u16string SeResolveLogFilePath(const SeLogSettings& settings, const SeLogLocation& location) {
  const std::u16string directory = UnexpandedLogDirectory(settings, location);
  if (directory.empty() || location.logFileName.empty()) return {};
  char16_t expanded[MAX_PATH];
  const DWORD length = ExpandEnvironmentStringsW(directory.c_str(), expanded, MAX_PATH);
  if (length == 0 || length > MAX_PATH) return location.logFileName;
  std::u16string result(expanded);
  if (settings.appendVersionToLogDir && !settings.versionString.empty()) result += u"_" + settings.versionString;
  return result + kSePathSeparator + location.logFileName;
}

std::u16string SeModuleNameOf(const std::u16string& modulePath) {
  const size_t cut = LastSeparator(modulePath);
  std::u16string name = cut == std::u16string::npos ? modulePath : modulePath.substr(cut + 1);
  const size_t dot = name.rfind(u'.');
  if (dot != std::u16string::npos) name.resize(dot);
  return name.empty() ? u"UNKNOWN" : name;
}

// Where the error log lives: the settings file and log file name from the process and module
// paths (host processes, IIS application pools), and the log directory from the settings.
// Pure string logic except SeResolveLogFilePath, which reads the temp and current directories
// and expands environment variables.
#pragma once

#include <string>

#include "base/SeErrorHandler.h"

// Both '/' and '\' separate path parts; the log joins parts with '/'.
inline constexpr char16_t kSePathSeparator = u'/';

struct SeLogLocation {
  std::u16string settingsDirectory;  // D: where ModuleSettings.ini is read; empty: no file
  std::u16string logFileName;        // N: e.g. "viewer.log", "w3wp_DefaultAppPool.log"
};

SeLogLocation SeResolveLogLocation(const std::u16string& processPath, const std::u16string& modulePath,
                                   const std::u16string& commandLine);

// Reads the keys of ModuleSettings.ini in the documented order; all defaults when the directory
// is empty or the file missing.
SeLogSettings SeReadLogSettings(const std::u16string& settingsDirectory);

// The log file's full path, or empty when nothing can be written.
std::u16string SeResolveLogFilePath(const SeLogSettings& settings, const SeLogLocation& location);

// The module name of the entries: the file name without its extension, "UNKNOWN" when empty.
std::u16string SeModuleNameOf(const std::u16string& modulePath);

// The build identity a module hands to its error log: target name, build date and time, version,
// branch and extension. Each binary that links the common runtime library defines it once.
#pragma once

#include "windows.h"

struct SeBuildIdentity {
  LPCWSTR targetName;  // e.g. "_QRN_TARGET_NAME"
  LPCWSTR buildDate;   // month abbreviation, day and year, e.g. "Dec 12 2025"
  LPCWSTR buildTime;   // "13:53:25"
  LPCWSTR version;     // "3.1.0.254167"
  LPCWSTR branch;      // source-control location of the release branch
  LPCWSTR extension;   // e.g. "_QRN_TARGET_EXTSTR"
};

// Defined by the module (or test program) that links the library; constant-initialised, so it
// is ready before any static initialisation creates the log.
extern const SeBuildIdentity SeModuleBuildIdentity;

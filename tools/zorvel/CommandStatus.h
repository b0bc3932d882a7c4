// Exit codes of the zorvel commands and the message printed when a module call fails.
// A failed call is reported on stderr with the call's name and its HRESULT.
#pragma once

#include <string_view>

#include <winerror.h>

namespace zorvel_cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitCallFailed = 1;
inline constexpr int kExitUsage = 2;

// Prints "zorvel: CALL failed with 0xXXXXXXXX" to stderr and returns kExitCallFailed.
int ReportFailedCall(std::string_view call, HRESULT hr);

// Prints "zorvel COMMAND: MESSAGE" and a hint to use --help, and returns kExitUsage.
int ReportUsage(std::string_view command, std::string_view message);

}  // namespace zorvel_cli

#include <filesystem>

#include "PngWriter.h"

namespace zorvel_cli {

// Writes `picture` as PNG; on failure prints "zorvel: cannot write 'FILE': WHY" and returns
// kExitCallFailed.
int WritePictureFile(const std::filesystem::path& file, const DecodedImage& picture);

}  // namespace zorvel_cli

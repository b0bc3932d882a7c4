// Messages for failed module calls and wrong usage of the zorvel commands.
#include "CommandStatus.h"

#include <cstdio>
#include <string>

namespace zorvel_cli {

int ReportFailedCall(std::string_view call, HRESULT hr) {
  std::fprintf(stderr, "zorvel: %.*s failed with 0x%08X\n", static_cast<int>(call.size()), call.data(),
               static_cast<unsigned>(hr));
  return kExitCallFailed;
}

int ReportUsage(std::string_view command, std::string_view message) {
  const std::string name(command);
  std::fprintf(stderr, "zorvel %s: %.*s\nTry 'zorvel %s --help'.\n", name.c_str(), static_cast<int>(message.size()),
               message.data(), name.c_str());
  return kExitUsage;
}

}  // namespace zorvel_cli

namespace zorvel_cli {

int WritePictureFile(const std::filesystem::path& file, const DecodedImage& picture) {
  std::string error;
  if (WritePng(file, picture, error)) return kExitSuccess;
  std::fprintf(stderr, "zorvel: cannot write '%s': %s\n", file.c_str(), error.c_str());
  return kExitCallFailed;
}

}  // namespace zorvel_cli

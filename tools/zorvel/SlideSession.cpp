// Opening the slide of a command and reporting the call that failed.
#include "SlideSession.h"

#include "CommandStatus.h"

namespace zorvel_cli {

int SlideSession::Open(const ParsedArguments& arguments, const std::string& slideDir) {
  const auto module = arguments.options.find("--module");
  const std::filesystem::path modulePath =
      module != arguments.options.end() ? std::filesystem::path(module->second) : ModuleHost::DefaultModulePath();
  const CallResult result = host.OpenSlide(modulePath, slideDir, slide);
  return FAILED(result.hr) ? ReportFailedCall(result.call, result.hr) : kExitSuccess;
}

}  // namespace zorvel_cli

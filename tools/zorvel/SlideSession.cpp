// Opening the slide of a command and reporting the call that failed.
#include "SlideSession.h"

#include <oleauto.h>

#include "CommandStatus.h"

namespace zorvel_cli {
namespace {

constexpr LONG kSlideWidthTag = 306;

}  // namespace

int SlideSession::Open(const ParsedArguments& arguments, const std::string& slideDir) {
  const auto module = arguments.options.find("--module");
  const std::filesystem::path modulePath =
      module != arguments.options.end() ? std::filesystem::path(module->second) : ModuleHost::DefaultModulePath();
  const CallResult result = host.OpenSlide(modulePath, slideDir, slide);
  if (FAILED(result.hr)) return ReportFailedCall(result.call, result.hr);
  // OpenSlide only names the slide; the first property read opens its files.
  VARIANT width;
  VariantInit(&width);
  const HRESULT hr = slide->GetSlideProperties(kSlideWidthTag, &width);
  VariantClear(&width);
  return FAILED(hr) ? ReportFailedCall("GetSlideProperties(" + std::to_string(kSlideWidthTag) + ")", hr) : kExitSuccess;
}

}  // namespace zorvel_cli

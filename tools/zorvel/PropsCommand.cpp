// zorvel props SLIDE_DIR: every tag of the property directory with its value, one line each.
#include <cstdio>

#include "CommandStatus.h"
#include "Commands.h"
#include "SlideProperties.h"
#include "SlideSession.h"

namespace zorvel_cli {
namespace {

constexpr const char* kHelp =
    "Usage: zorvel props SLIDE_DIR [--module PATH]\n"
    "Prints every tag of the slide's property directory, in directory order, one line each:\n"
    "TAG<TAB>NAME<TAB>TYPE<TAB>VALUE. TYPE is the value's type (EMPTY, I4, UI2, UI4, UI8, R8, BOOL,\n"
    "BSTR, DATE, ARRAY) or ERROR with the call's HRESULT as VALUE when reading the tag failed.\n";

}  // namespace

int RunProps(const Arguments& arguments) {
  const ParsedArguments parsed = ParseArguments(arguments, {"--module"}, {});
  if (parsed.flags.count("--help") != 0) {
    std::fputs(kHelp, stdout);
    std::fputs(kModuleOptionHelp, stdout);
    return kExitSuccess;
  }
  if (!parsed.error.empty()) return ReportUsage("props", parsed.error);
  if (parsed.positional.size() != 1) return ReportUsage("props", "expected exactly one SLIDE_DIR");

  SlideSession session;
  if (const int code = session.Open(parsed, parsed.positional[0]); code != kExitSuccess) return code;
  std::vector<PropertyTag> tags;
  if (const HRESULT hr = ReadPropertyTags(session.slide.Get(), tags); FAILED(hr)) {
    return ReportFailedCall("GetSlidePropertyTags", hr);
  }
  for (const PropertyTag& tag : tags) {
    std::printf("%s\n", ReadPropertyLine(session.slide.Get(), tag.tag, tag.name).text.c_str());
  }
  return kExitSuccess;
}

}  // namespace zorvel_cli

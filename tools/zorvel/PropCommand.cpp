// zorvel prop SLIDE_DIR TAG: the property line of one tag, listed in the directory or not.
#include <climits>
#include <cstdio>

#include "CommandStatus.h"
#include "Commands.h"
#include "SlideProperties.h"
#include "SlideSession.h"

namespace zorvel_cli {
namespace {

constexpr const char* kHelp =
    "Usage: zorvel prop SLIDE_DIR TAG [--module PATH]\n"
    "Prints TAG<TAB>NAME<TAB>TYPE<TAB>VALUE for one property tag (decimal or 0x-hex; tags outside\n"
    "the directory are asked too and have an empty NAME). When the call fails the line has TYPE\n"
    "ERROR and the HRESULT as VALUE, and the exit code is 1.\n";

std::string NameOf(const std::vector<PropertyTag>& tags, LONG tag) {
  for (const PropertyTag& entry : tags) {
    if (entry.tag == tag) return entry.name;
  }
  return {};
}

}  // namespace

int RunProp(const Arguments& arguments) {
  const ParsedArguments parsed = ParseArguments(arguments, {"--module"}, {});
  if (parsed.flags.count("--help") != 0) {
    std::fputs(kHelp, stdout);
    std::fputs(kModuleOptionHelp, stdout);
    return kExitSuccess;
  }
  if (!parsed.error.empty()) return ReportUsage("prop", parsed.error);
  if (parsed.positional.size() != 2) return ReportUsage("prop", "expected SLIDE_DIR and TAG");
  const auto tag = ParseInteger(parsed.positional[1], true);
  if (!tag || *tag < INT32_MIN || *tag > UINT32_MAX) {
    return ReportUsage("prop", "TAG must be a 32-bit number in decimal or 0x-hex");
  }
  const LONG tagValue = static_cast<LONG>(static_cast<ULONG>(*tag));

  SlideSession session;
  if (const int code = session.Open(parsed, parsed.positional[0]); code != kExitSuccess) return code;
  std::vector<PropertyTag> tags;
  if (const HRESULT hr = ReadPropertyTags(session.slide.Get(), tags); FAILED(hr)) {
    return ReportFailedCall("GetSlidePropertyTags", hr);
  }
  const PropertyLine line = ReadPropertyLine(session.slide.Get(), tagValue, NameOf(tags, tagValue));
  std::printf("%s\n", line.text.c_str());
  return FAILED(line.hr) ? ReportFailedCall("GetSlideProperties", line.hr) : kExitSuccess;
}

}  // namespace zorvel_cli

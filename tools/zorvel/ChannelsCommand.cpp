// zorvel channels: one line per channel with its name, wavelengths and pseudo colour
// (GetChannelProperties), tab-separated like props.
#include <cstdio>

#include <oleauto.h>

#include "CommandStatus.h"
#include "Commands.h"
#include "SlideProperties.h"
#include "SlideSession.h"
#include "VariantText.h"

namespace zorvel_cli {
namespace {

constexpr const char* kHelp =
    "Usage: zorvel channels SLIDE_DIR [--module PATH]\n"
    "Prints one line per channel: INDEX<TAB>NAME<TAB>EXCITATION<TAB>EMISSION<TAB>PSEUDO_COLOR\n"
    "(wavelengths in nanometres, the pseudo colour as 0xCCBBAA of its three 8-bit parts; '-'\n"
    "where the slide has no value). A brightfield slide lists its blue, green and red channels.\n";

constexpr LONG kChannelCountTag = 313, kSlideTypeTag = 320;
constexpr LONG kNameTag = 400, kExcitationTag = 412, kEmissionTag = 414, kPseudoColorTag = 402;
constexpr long long kBrightfield = 1;

// The value text of one channel property; "-" when EMPTY. A failed call is returned.
HRESULT ChannelField(IKLVZorvel* slide, LONG tag, LONG channel, std::string& text) {
  VARIANT value;
  VariantInit(&value);
  const HRESULT hr = slide->GetChannelProperties(tag, channel, &value);
  if (SUCCEEDED(hr)) {
    if (value.vt == VT_EMPTY) {
      text.assign(1, '-');
    } else if (tag == kPseudoColorTag && value.vt == VT_I4) {
      char packed[16];
      std::snprintf(packed, sizeof packed, "0x%06X", static_cast<unsigned>(value.lVal) & 0xFFFFFFu);
      text = packed;
    } else {
      text = FormatVariant(value).value;
    }
  }
  VariantClear(&value);
  return hr;
}

}  // namespace

int RunChannels(const Arguments& arguments) {
  const ParsedArguments parsed = ParseArguments(arguments, {"--module"}, {});
  if (parsed.flags.count("--help") != 0) {
    std::fputs(kHelp, stdout);
    std::fputs(kModuleOptionHelp, stdout);
    return kExitSuccess;
  }
  if (!parsed.error.empty()) return ReportUsage("channels", parsed.error);
  if (parsed.positional.size() != 1) return ReportUsage("channels", "expected exactly one SLIDE_DIR");

  SlideSession session;
  if (const int code = session.Open(parsed, parsed.positional[0]); code != kExitSuccess) return code;
  IKLVZorvel* slide = session.slide.Get();
  const auto count = ReadIntegerProperty(slide, kChannelCountTag);
  if (!count) return ReportFailedCall("GetSlideProperties(" + std::to_string(kChannelCountTag) + ")", E_UNEXPECTED);
  const long long channels = ReadIntegerProperty(slide, kSlideTypeTag) == kBrightfield ? 3 : *count;
  for (LONG channel = 0; channel < channels; ++channel) {
    std::string line = std::to_string(channel);
    for (const LONG tag : {kNameTag, kExcitationTag, kEmissionTag, kPseudoColorTag}) {
      std::string text;
      if (const HRESULT hr = ChannelField(slide, tag, channel, text); FAILED(hr)) {
        std::fflush(stdout);
        return ReportFailedCall("GetChannelProperties(" + std::to_string(tag) + ", " + std::to_string(channel) + ")", hr);
      }
      line.append(1, '\t').append(text);
    }
    std::printf("%s\n", line.c_str());
  }
  return kExitSuccess;
}

}  // namespace zorvel_cli

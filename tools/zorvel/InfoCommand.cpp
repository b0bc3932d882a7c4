// zorvel info SLIDE_DIR: a short human summary of the slide read from its properties.
#include <cstdio>
#include <string>

#include <oleauto.h>

#include "CommandStatus.h"
#include "Commands.h"
#include "SlideProperties.h"
#include "SlideSession.h"
#include "VariantText.h"

namespace zorvel_cli {
namespace {

constexpr const char* kHelp =
    "Usage: zorvel info SLIDE_DIR [--module PATH]\n"
    "Prints a short summary of the slide: size, levels with their sizes, tile size, focal planes,\n"
    "extended focus, channels, compression, pixel size and slide id. Values the slide does not\n"
    "answer are shown as '-'.\n";

// The value text of one property, or "-" when the call fails or the value is empty.
std::string Text(IKLVZorvel* slide, LONG tag) {
  VARIANT value;
  VariantInit(&value);
  const HRESULT hr = ReadProperty(slide, tag, value);
  std::string text = SUCCEEDED(hr) ? FormatVariant(value).value : std::string();
  const bool empty = value.vt == VT_EMPTY;
  VariantClear(&value);
  return FAILED(hr) || empty || text.empty() ? "-" : text;
}

long Number(IKLVZorvel* slide, LONG tag) {
  const std::string text = Text(slide, tag);
  return text == "-" ? -1 : std::stol(text);
}

// Levels present (property 414) with the size each has when level n halves level 0 n times.
std::string Levels(IKLVZorvel* slide, long width, long height) {
  const std::string list = Text(slide, 414);
  if (list == "-" || width <= 0 || height <= 0) return list;
  std::string text;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    const int level = std::stoi(list.substr(start, end - start));
    const long divisor = 1L << (level & 31);
    if (!text.empty()) text += ", ";
    text += std::to_string(level) + " (" + std::to_string((width + divisor - 1) / divisor) + " x " +
            std::to_string((height + divisor - 1) / divisor) + ")";
    start = end + 1;
  }
  return text;
}

void PrintSummary(IKLVZorvel* slide) {
  const long width = Number(slide, 306);
  const long height = Number(slide, 307);
  const long tile = Number(slide, 397);
  std::printf("Slide size:       %s x %s pixels\n", Text(slide, 306).c_str(), Text(slide, 307).c_str());
  std::printf("Levels:           %s\n", Levels(slide, width, height).c_str());
  if (tile > 0) {
    std::printf("Tile size:        %ld x %ld pixels\n", tile >> 16, tile & 0xFFFF);
  } else {
    std::printf("Tile size:        -\n");
  }
  std::printf("Focal planes:     %s\n", Text(slide, 330).c_str());
  std::printf("Extended focus:   %s\n", Text(slide, 329).c_str());
  std::printf("Channels:         %s\n", Text(slide, 313).c_str());
  std::printf("Compression:      %s (%s)\n", Text(slide, 303).c_str(), Text(slide, 302).c_str());
  std::printf("Pixel size:       %s x %s micrometres\n", Text(slide, 308).c_str(), Text(slide, 309).c_str());
  std::printf("Slide id:         %s\n", Text(slide, 372).c_str());
}

}  // namespace

int RunInfo(const Arguments& arguments) {
  const ParsedArguments parsed = ParseArguments(arguments, {"--module"}, {});
  if (parsed.flags.count("--help") != 0) {
    std::fputs(kHelp, stdout);
    std::fputs(kModuleOptionHelp, stdout);
    return kExitSuccess;
  }
  if (!parsed.error.empty()) return ReportUsage("info", parsed.error);
  if (parsed.positional.size() != 1) return ReportUsage("info", "expected exactly one SLIDE_DIR");

  SlideSession session;
  if (const int code = session.Open(parsed, parsed.positional[0]); code != kExitSuccess) return code;
  PrintSummary(session.slide.Get());
  return kExitSuccess;
}

}  // namespace zorvel_cli

// zorvel thumbnail: the whole slide at the first level that fits a box, written as PNG.
#include <cstdio>

#include "CommandStatus.h"
#include "Commands.h"
#include "ModuleRender.h"
#include "PictureEdit.h"
#include "SlideProperties.h"
#include "SlideSession.h"

namespace zorvel_cli {
namespace {

constexpr const char* kHelp =
    "Usage: zorvel thumbnail SLIDE_DIR [--max 1024] -o OUT.png [--module PATH]\n"
    "Renders the whole slide at the first zoom level whose width and height fit within\n"
    "MAX x MAX pixels (GetImage), crops it to the level's size and, when even level 9 is larger,\n"
    "shrinks it to fit. MAX is 16 to 16384, default 1024.\n";

constexpr long long kSlideWidthTag = 306, kSlideHeightTag = 307;

struct ThumbnailRequest {
  std::string slideDir, output;
  std::int64_t max = 1024;
};

std::string ReadRequest(const ParsedArguments& parsed, ThumbnailRequest& request) {
  if (parsed.positional.size() != 1) return "expected exactly one SLIDE_DIR";
  request.slideDir = parsed.positional[0];
  const auto output = parsed.options.find("-o");
  if (output == parsed.options.end() || output->second.empty()) return "-o OUT.png is required";
  request.output = output->second;
  if (const auto max = parsed.options.find("--max"); max != parsed.options.end()) {
    const auto value = ParseInteger(max->second, false);
    if (!value || *value < 16 || *value > 16384) return "--max takes a number of pixels from 16 to 16384";
    request.max = *value;
  }
  return {};
}

}  // namespace

int RunThumbnail(const Arguments& arguments) {
  const ParsedArguments parsed = ParseArguments(arguments, {"--module", "--max", "-o"}, {});
  if (parsed.flags.count("--help") != 0) {
    std::fputs(kHelp, stdout);
    std::fputs(kModuleOptionHelp, stdout);
    return kExitSuccess;
  }
  if (!parsed.error.empty()) return ReportUsage("thumbnail", parsed.error);
  ThumbnailRequest request;
  if (const std::string error = ReadRequest(parsed, request); !error.empty()) return ReportUsage("thumbnail", error);

  SlideSession session;
  if (const int code = session.Open(parsed, request.slideDir); code != kExitSuccess) return code;
  const auto width = ReadIntegerProperty(session.slide.Get(), kSlideWidthTag);
  const auto height = ReadIntegerProperty(session.slide.Get(), kSlideHeightTag);
  if (!width || !height || *width <= 0 || *height <= 0) {
    return ReportFailedCall("GetSlideProperties(306/307) (no slide size)", E_UNEXPECTED);
  }
  RegionRequest region;
  region.level = ThumbnailLevel(*width, *height, request.max);
  const std::int64_t levelWidth = LevelSize(*width, region.level), levelHeight = LevelSize(*height, region.level);
  region.tiles = TilesCovering({0, 0, levelWidth, levelHeight}).tiles;
  if (!RangeIsRenderable(region.tiles)) return ReportFailedCall("thumbnail (slide too large for level 9)", E_INVALIDARG);
  DecodedImage picture;
  if (const CallResult rendered = RenderRegion(session.slide.Get(), region, picture); FAILED(rendered.hr)) {
    return ReportFailedCall(rendered.call, rendered.hr);
  }
  picture = Crop(picture, 0, 0, static_cast<std::uint32_t>(std::min<std::int64_t>(levelWidth, picture.width)),
                 static_cast<std::uint32_t>(std::min<std::int64_t>(levelHeight, picture.height)));
  picture = FitWithin(std::move(picture), static_cast<std::uint32_t>(request.max));
  if (const int code = WritePictureFile(request.output, picture); code != kExitSuccess) return code;
  std::printf("Wrote %s: %u x %u pixels from level %d\n", request.output.c_str(), picture.width, picture.height,
              region.level);
  return kExitSuccess;
}

}  // namespace zorvel_cli

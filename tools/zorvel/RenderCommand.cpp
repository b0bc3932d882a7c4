// zorvel render: a region of one zoom level rendered by GetImage and written as PNG.
#include <cstdio>
#include <optional>

#include "CommandStatus.h"
#include "Commands.h"
#include "ModuleRender.h"
#include "PictureEdit.h"
#include "SlideSession.h"

namespace zorvel_cli {
namespace {

constexpr const char* kHelp =
    "Usage: zorvel render SLIDE_DIR --level L (--tiles X1,Y1,X2,Y2 | --rect X,Y,W,H)\n"
    "                     [--channels R,G,B] [--focus F] [--16bit] -o OUT.png [--module PATH]\n"
    "Renders a region of zoom level L (0 = full resolution) with GetImage and writes it as PNG.\n"
    "  --tiles X1,Y1,X2,Y2  grid tiles of 256 x 256 level pixels, first and last column and row\n"
    "  --rect X,Y,W,H       a rectangle in level pixels (the covering tiles are rendered, then cropped)\n"
    "  --channels R,G,B     the channels shown as red, green and blue (default 2,1,0: the first\n"
    "                       three; -3: the same triple as the others, -2: a white picture, -1: none)\n"
    "  --focus F            focal plane F relative to the middle plane (0 = middle); without it the\n"
    "                       extended-focus image where the slide has one\n"
    "  --16bit              16-bit samples where the slide has more than 8 bits (a 16-bit PNG)\n"
    "Parts of the region outside the slide are background (white for brightfield, else black).\n";

struct RenderRequest {
  std::string slideDir, output;
  RegionRequest region;
  std::optional<CoveredRect> rect;  // set for --rect
  std::int64_t rectWidth = 0, rectHeight = 0;
  bool wide = false;
};

std::string ReadRegion(const ParsedArguments& parsed, RenderRequest& request) {
  const auto tiles = parsed.options.find("--tiles");
  const auto rect = parsed.options.find("--rect");
  if ((tiles == parsed.options.end()) == (rect == parsed.options.end())) return "give exactly one of --tiles and --rect";
  if (tiles != parsed.options.end()) {
    const auto values = ParseIntegerList(tiles->second, 4);
    if (!values) return "--tiles takes X1,Y1,X2,Y2 (four whole numbers)";
    request.region.tiles = {(*values)[0], (*values)[1], (*values)[2], (*values)[3]};
  } else {
    const auto values = ParseIntegerList(rect->second, 4);
    if (!values || (*values)[2] <= 0 || (*values)[3] <= 0) return "--rect takes X,Y,W,H with W and H above 0";
    request.rect = TilesCovering({(*values)[0], (*values)[1], (*values)[2], (*values)[3]});
    request.rectWidth = (*values)[2];
    request.rectHeight = (*values)[3];
    request.region.tiles = request.rect->tiles;
  }
  if (!RangeIsRenderable(request.region.tiles)) {
    return "the region must run from first to last tile and stay within 268435456 pixels";
  }
  return {};
}

std::string ReadChannels(const ParsedArguments& parsed, RenderRequest& request) {
  std::vector<std::int64_t> channels = {2, 1, 0};
  if (const auto given = parsed.options.find("--channels"); given != parsed.options.end()) {
    const auto values = ParseIntegerList(given->second, 3);
    if (!values) return "--channels takes R,G,B (three whole numbers)";
    channels = *values;
  }
  std::optional<std::int64_t> focus;
  if (const auto given = parsed.options.find("--focus"); given != parsed.options.end()) {
    focus = ParseInteger(given->second, false);
    if (!focus) return "--focus takes a whole number";
  }
  const auto arguments = ChannelArguments(channels, focus);
  if (!arguments) return "channels must lie within 0..65535 with --focus (-3..65535 without), --focus within -1000..31767";
  request.region.channels = *arguments;
  return {};
}

std::string ReadRequest(const ParsedArguments& parsed, RenderRequest& request) {
  if (parsed.positional.size() != 1) return "expected exactly one SLIDE_DIR";
  request.slideDir = parsed.positional[0];
  const auto output = parsed.options.find("-o");
  if (output == parsed.options.end() || output->second.empty()) return "-o OUT.png is required";
  request.output = output->second;
  const auto level = parsed.options.find("--level");
  const auto levelValue = level == parsed.options.end() ? std::nullopt : ParseInteger(level->second, false);
  if (!levelValue || *levelValue < 0 || *levelValue > kLastLevel) return "--level L is required, 0 to 9";
  request.region.level = static_cast<int>(*levelValue);
  request.wide = parsed.flags.count("--16bit") != 0;
  if (std::string error = ReadRegion(parsed, request); !error.empty()) return error;
  return ReadChannels(parsed, request);
}

}  // namespace

int RunRender(const Arguments& arguments) {
  const ParsedArguments parsed = ParseArguments(
      arguments, {"--module", "--level", "--tiles", "--rect", "--channels", "--focus", "-o"}, {"--16bit"});
  if (parsed.flags.count("--help") != 0) {
    std::fputs(kHelp, stdout);
    std::fputs(kModuleOptionHelp, stdout);
    return kExitSuccess;
  }
  if (!parsed.error.empty()) return ReportUsage("render", parsed.error);
  RenderRequest request;
  if (const std::string error = ReadRequest(parsed, request); !error.empty()) return ReportUsage("render", error);

  SlideSession session;
  if (const int code = session.Open(parsed, request.slideDir); code != kExitSuccess) return code;
  if (const CallResult set = SetHighBitDepthOutput(session.slide.Get(), request.wide); FAILED(set.hr)) {
    return ReportFailedCall(set.call, set.hr);
  }
  DecodedImage picture;
  if (const CallResult rendered = RenderRegion(session.slide.Get(), request.region, picture); FAILED(rendered.hr)) {
    return ReportFailedCall(rendered.call, rendered.hr);
  }
  if (request.rect) {
    if (picture.width < request.rect->offsetX + request.rectWidth ||
        picture.height < request.rect->offsetY + request.rectHeight) {
      return ReportFailedCall("GetImage (a picture smaller than the tiles asked for)", E_UNEXPECTED);
    }
    picture = Crop(picture, static_cast<std::uint32_t>(request.rect->offsetX),
                   static_cast<std::uint32_t>(request.rect->offsetY), static_cast<std::uint32_t>(request.rectWidth),
                   static_cast<std::uint32_t>(request.rectHeight));
  }
  if (const int code = WritePictureFile(request.output, picture); code != kExitSuccess) return code;
  std::printf("Wrote %s: %u x %u pixels, %d-bit RGB\n", request.output.c_str(), picture.width, picture.height,
              picture.bytesPerSample == 2 ? 16 : 8);
  return kExitSuccess;
}

}  // namespace zorvel_cli

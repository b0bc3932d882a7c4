// zorvel: command-line host of ZorvelDicom.so. Chooses the command and hands it the rest of the
// arguments; exit codes 0 success, 1 a module call failed, 2 wrong usage.
#include <cstdio>
#include <cstring>
#include <exception>

#include "CommandStatus.h"
#include "Commands.h"

namespace {

constexpr const char* kUsage =
    "Usage: zorvel COMMAND [ARGS]\n"
    "Commands:\n"
    "  info SLIDE_DIR          short summary of a slide\n"
    "  props SLIDE_DIR         every property of the slide's tag directory\n"
    "  prop SLIDE_DIR TAG      one property, listed or not\n"
    "  tile SLIDE_DIR --level L --x X --y Y [--focus F] -o FILE [--decode]\n"
    "                          one tile as stored, or decoded to PNG\n"
    "  render SLIDE_DIR --level L (--tiles X1,Y1,X2,Y2 | --rect X,Y,W,H) -o OUT.png\n"
    "                          a region rendered by the module, as PNG\n"
    "  thumbnail SLIDE_DIR [--max 1024] -o OUT.png\n"
    "                          the whole slide fitted into a box\n"
    "  image SLIDE_DIR label|overview|preview -o OUT.png\n"
    "                          a single image (and the label's text)\n"
    "  channels SLIDE_DIR      one line per channel\n"
    "  annotations SLIDE_DIR [--json]\n"
    "                          flag records and TMA markers\n"
    "  bench SLIDE_DIR [--regions N] [--size S] [--level L] [--threads T] [--seed K]\n"
    "                          rendering speed, cold and warm, and peak memory\n"
    "  serve ROOT_DIR [--port 8080] [--host 127.0.0.1]\n"
    "                          slides as Deep Zoom tiles and a browser viewer\n"
    "'zorvel COMMAND --help' describes a command.\n";

int Dispatch(const char* command, const zorvel_cli::Arguments& arguments) {
  using namespace zorvel_cli;
  if (std::strcmp(command, "info") == 0) return RunInfo(arguments);
  if (std::strcmp(command, "props") == 0) return RunProps(arguments);
  if (std::strcmp(command, "prop") == 0) return RunProp(arguments);
  if (std::strcmp(command, "tile") == 0) return RunTile(arguments);
  if (std::strcmp(command, "render") == 0) return RunRender(arguments);
  if (std::strcmp(command, "thumbnail") == 0) return RunThumbnail(arguments);
  if (std::strcmp(command, "image") == 0) return RunImage(arguments);
  if (std::strcmp(command, "channels") == 0) return RunChannels(arguments);
  if (std::strcmp(command, "annotations") == 0) return RunAnnotations(arguments);
  if (std::strcmp(command, "bench") == 0) return RunBench(arguments);
  if (std::strcmp(command, "serve") == 0) return RunServe(arguments);
  if (std::strcmp(command, "--help") == 0 || std::strcmp(command, "-h") == 0) {
    std::fputs(kUsage, stdout);
    return kExitSuccess;
  }
  std::fprintf(stderr, "zorvel: unknown command '%s'\n%s", command, kUsage);
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return zorvel_cli::kExitUsage;
  }
  try {
    return Dispatch(argv[1], zorvel_cli::Arguments(argv + 2, argv + argc));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zorvel: %s\n", error.what());
    return zorvel_cli::kExitCallFailed;
  }
}

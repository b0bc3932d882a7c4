// zorvel serve: the slides under a root directory as Deep Zoom tiles and a browser viewer.
#include <cstdio>

#include "CommandStatus.h"
#include "Commands.h"
#include "ModuleHost.h"
#include "SlideSession.h"
#include "TileServer.h"

namespace zorvel_cli {
namespace {

constexpr const char* kHelp =
    "Usage: zorvel serve ROOT_DIR [--port 8080] [--host 127.0.0.1] [--threads 8] [--cache-mib M]\n"
    "                    [--web DIR] [--module PATH]\n"
    "Serves the slides under ROOT_DIR (one slide directory per slide, or ROOT_DIR itself is one\n"
    "slide) to a browser: open the printed address. Binds to 127.0.0.1 unless --host says\n"
    "otherwise; --port 0 takes any free port. --threads: requests served at the same time.\n"
    "--cache-mib: a cap on the module's tile caches together (default: the module's own budget).\n"
    "--web: the directory of the page (default: PREFIX/share/zorvel/web when installed, else the\n"
    "source tree's tools/zorvel/serve/web, whose node_modules the setup script fills with 'npm ci').\n"
    "Endpoints: /api/slides, /api/slides/NAME/{info,properties,annotations},\n"
    "/api/slides/NAME/{label,overview,thumbnail}.jpeg, /dz/NAME.dzi and\n"
    "/dz/NAME_files/LEVEL/COL_ROW.jpeg (?overlap=0 for 256-pixel tiles without overlap, &focus=F,\n"
    "&channels=R,G,B).\n";

// The page installed beside the executable (PREFIX/share/zorvel/web), else the source tree's.
std::filesystem::path DefaultWebDir() {
  const std::filesystem::path installed = ModuleHost::ExecutableDir().parent_path() / "share" / "zorvel" / "web";
  std::error_code error;
  if (std::filesystem::exists(installed / "index.html", error)) return installed;
  return ZORVEL_SERVE_WEB_DIR;
}

std::string ReadOptions(const ParsedArguments& parsed, zorvel_serve::ServerOptions& options, int& cacheMib) {
  if (parsed.positional.size() != 1) return "expected exactly one ROOT_DIR";
  if (const auto host = parsed.options.find("--host"); host != parsed.options.end()) options.host = host->second;
  for (const auto& [name, value, min, max] : {std::tuple{"--port", &options.port, 0, 65535},
                                              std::tuple{"--threads", &options.threads, 1, 256},
                                              std::tuple{"--cache-mib", &cacheMib, 16, 1 << 20}}) {
    const auto given = parsed.options.find(name);
    if (given == parsed.options.end()) continue;
    const auto number = ParseInteger(given->second, false);
    if (!number || *number < min || *number > max) {
      return std::string(name) + " takes a number from " + std::to_string(min) + " to " + std::to_string(max);
    }
    *value = static_cast<int>(*number);
  }
  const auto web = parsed.options.find("--web");
  options.webDir = web != parsed.options.end() ? std::filesystem::path(web->second) : DefaultWebDir();
  options.viewerDir = options.webDir / "node_modules" / "openseadragon" / "build" / "openseadragon";
  return {};
}

}  // namespace

int RunServe(const Arguments& arguments) {
  const ParsedArguments parsed = ParseArguments(arguments, {"--module", "--port", "--host", "--threads", "--cache-mib", "--web"}, {});
  if (parsed.flags.count("--help") != 0) {
    std::fputs(kHelp, stdout);
    std::fputs(kModuleOptionHelp, stdout);
    return kExitSuccess;
  }
  if (!parsed.error.empty()) return ReportUsage("serve", parsed.error);
  zorvel_serve::ServerOptions options;
  int cacheMib = 0;
  if (const std::string error = ReadOptions(parsed, options, cacheMib); !error.empty()) return ReportUsage("serve", error);
  if (!std::filesystem::is_directory(parsed.positional[0])) return ReportUsage("serve", "ROOT_DIR is not a directory");
  const auto module = parsed.options.find("--module");
  zorvel_serve::SlideService service(
      module != parsed.options.end() ? std::filesystem::path(module->second) : ModuleHost::DefaultModulePath(),
      parsed.positional[0], static_cast<std::uint64_t>(cacheMib) << 20);
  const std::size_t slides = service.Catalog().Names().size();
  if (!std::filesystem::is_directory(options.viewerDir)) {
    std::fprintf(stderr, "zorvel serve: no viewer files at %s (run scripts/setup_deps.sh); the page will not load\n",
                 options.viewerDir.c_str());
  }
  std::string error;
  const bool served = zorvel_serve::Serve(service, options, [&](int port) {
    std::printf("Serving %zu slide(s) at http://%s:%d/\n", slides, options.host.c_str(), port);
    std::fflush(stdout);
  }, error);
  if (!served) {
    std::fprintf(stderr, "zorvel serve: %s\n", error.c_str());
    return kExitCallFailed;
  }
  return kExitSuccess;
}

}  // namespace zorvel_cli

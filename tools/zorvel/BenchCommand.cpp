// zorvel bench: seeded random regions rendered by GetImage on several host threads, cold and then
// warm, with megapixels per second and the process's peak resident memory.
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>

#include "CommandStatus.h"
#include "Commands.h"
#include "ModuleRender.h"
#include "SlideProperties.h"
#include "SlideSession.h"

namespace zorvel_cli {
namespace {

constexpr const char* kHelp =
    "Usage: zorvel bench SLIDE_DIR [--regions N] [--size S] [--level L] [--threads T] [--seed K]\n"
    "                    [--module PATH]\n"
    "Renders N random regions of S x S pixels (rounded up to whole 256-pixel grid tiles) of zoom\n"
    "level L with GetImage from T host threads, first cold and then the same regions again warm,\n"
    "and prints megapixels per second of both passes and the peak resident memory of the process.\n"
    "Defaults: N 64, S 1024, L 0, T 2, K 1. The regions depend only on K and the slide's size.\n"
    "Progress goes to standard error when it is a terminal.\n";

struct BenchRequest {
  std::string slideDir;
  long long regions = 64, size = 1024, level = 0, threads = 2, seed = 1;
};

std::string ReadRequest(const ParsedArguments& parsed, BenchRequest& request) {
  if (parsed.positional.size() != 1) return "expected exactly one SLIDE_DIR";
  request.slideDir = parsed.positional[0];
  struct Limit {
    const char* name;
    long long* value;
    long long min, max;
  };
  const Limit limits[] = {{"--regions", &request.regions, 1, 100000},
                          {"--size", &request.size, 1, 8192},
                          {"--level", &request.level, 0, kLastLevel},
                          {"--threads", &request.threads, 1, 256},
                          {"--seed", &request.seed, 0, INT32_MAX}};
  for (const Limit& limit : limits) {
    const auto given = parsed.options.find(limit.name);
    if (given == parsed.options.end()) continue;
    const auto value = ParseInteger(given->second, false);
    if (!value || *value < limit.min || *value > limit.max) {
      return std::string(limit.name) + " takes a whole number from " + std::to_string(limit.min) + " to " +
             std::to_string(limit.max);
    }
    *limit.value = *value;
  }
  return {};
}

// N regions of `tiles` x `tiles` grid tiles placed uniformly inside the level (or at its origin
// when the level is smaller than a region).
std::vector<TileRange> RandomRegions(const BenchRequest& request, std::int64_t levelWidth, std::int64_t levelHeight) {
  const std::int64_t tiles = (request.size + kGridTile - 1) / kGridTile;
  const std::int64_t columns = (levelWidth + kGridTile - 1) / kGridTile, rows = (levelHeight + kGridTile - 1) / kGridTile;
  std::mt19937_64 random(static_cast<std::uint64_t>(request.seed));
  std::uniform_int_distribution<std::int64_t> column(0, std::max<std::int64_t>(0, columns - tiles));
  std::uniform_int_distribution<std::int64_t> row(0, std::max<std::int64_t>(0, rows - tiles));
  std::vector<TileRange> regions;
  for (long long i = 0; i < request.regions; ++i) {
    const std::int64_t x = column(random), y = row(random);
    regions.push_back({x, y, x + tiles - 1, y + tiles - 1});
  }
  return regions;
}

struct PassResult {
  CallResult failure;
  double seconds = 0;
  std::int64_t pixels = 0;
};

// Renders every region once, `threads` host threads taking regions in turn, each with its own bitmap.
PassResult RunPass(IKLVZorvel* slide, const std::vector<TileRange>& regions, int level, int threads, const char* name) {
  const bool showProgress = isatty(STDERR_FILENO) != 0;
  std::atomic<std::size_t> next{0}, done{0};
  std::mutex failureMutex;
  PassResult result;
  const auto worker = [&] {
    ComPtr<IKLVBitmapImage> bitmap;
    CallResult created = CreateHostBitmap(bitmap);
    for (std::size_t i = 0; SUCCEEDED(created.hr) && (i = next++) < regions.size();) {
      RegionRequest request{regions[i], level, {2, 1, 0}};
      created = RenderInto(slide, request, bitmap.Get());
      const std::size_t finished = ++done;
      if (showProgress && SUCCEEDED(created.hr)) std::fprintf(stderr, "\r%s %zu/%zu", name, finished, regions.size());
    }
    if (FAILED(created.hr)) {
      std::lock_guard lock(failureMutex);
      if (SUCCEEDED(result.failure.hr)) result.failure = created;
      next = regions.size();
    }
  };
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) pool.emplace_back(worker);
  for (std::thread& thread : pool) thread.join();
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (showProgress) std::fputs("\r\033[K", stderr);
  for (const TileRange& region : regions) result.pixels += region.Width() * region.Height();
  return result;
}

long PeakResidentMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;  // kilobytes on Linux
}

}  // namespace

int RunBench(const Arguments& arguments) {
  const ParsedArguments parsed =
      ParseArguments(arguments, {"--module", "--regions", "--size", "--level", "--threads", "--seed"}, {});
  if (parsed.flags.count("--help") != 0) {
    std::fputs(kHelp, stdout);
    std::fputs(kModuleOptionHelp, stdout);
    return kExitSuccess;
  }
  if (!parsed.error.empty()) return ReportUsage("bench", parsed.error);
  BenchRequest request;
  if (const std::string error = ReadRequest(parsed, request); !error.empty()) return ReportUsage("bench", error);

  SlideSession session;
  if (const int code = session.Open(parsed, request.slideDir); code != kExitSuccess) return code;
  const auto width = ReadIntegerProperty(session.slide.Get(), 306);
  const auto height = ReadIntegerProperty(session.slide.Get(), 307);
  if (!width || !height) return ReportFailedCall("GetSlideProperties(306/307) (no slide size)", E_UNEXPECTED);
  const int level = static_cast<int>(request.level);
  const std::vector<TileRange> regions = RandomRegions(request, LevelSize(*width, level), LevelSize(*height, level));
  const std::int64_t side = regions.front().Width();
  std::printf("Regions:          %lld of %lld x %lld pixels at level %d, seed %lld, %lld threads\n", request.regions,
              static_cast<long long>(side), static_cast<long long>(side), level, request.seed, request.threads);
  for (const char* pass : {"Cold", "Warm"}) {
    const PassResult result = RunPass(session.slide.Get(), regions, level, static_cast<int>(request.threads), pass);
    if (FAILED(result.failure.hr)) return ReportFailedCall(result.failure.call, result.failure.hr);
    std::printf("%s:%*s%.1f megapixels/s (%.2f s)\n", pass, 14, "", result.pixels / 1e6 / result.seconds, result.seconds);
  }
  std::printf("Peak resident:    %ld MiB\n", PeakResidentMiB());
  return kExitSuccess;
}

}  // namespace zorvel_cli

// Time to the first tile of large levels, from the directory scan on: a 16,384-frame level with a
// Basic Offset Table, and a 180,600-frame level without an offset table next to one sequential
// read of the same file, with and without the sidecar index cache (kept in the build tree).
// "Cold" variants drop the page cache before each iteration (needs root; skipped otherwise), so
// an open with a primed cache reads it from disk as a new process would. The files are generated
// once into the build tree.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "DicomInterop.h"

namespace {

namespace fs = std::filesystem;

struct Level {
  const char* name;
  int frames;
  int frameBytes;
  const char* table;
};

const Level kBasic16k{"basic16k", 16384, 8192, "basic"};
const Level kNoTable180k{"notable180k", 180600, 8192, "none"};

std::string SlideDir(const Level& level) {
  const fs::path dir = fs::path(ZORVEL_BINARY_DIR) / "bench" / level.name;
  if (!fs::exists(dir / "level0.dcm")) {
    fs::create_directories(dir);
    const std::string command = std::string(ZORVEL_PYTHON) + " " + ZORVEL_BENCH_DIR + "/make_encapsulated_level.py " +
                                (dir / "level0.dcm").string() + " " + std::to_string(level.frames) + " " +
                                std::to_string(level.frameBytes) + " " + level.table;
    if (std::system(command.c_str()) != 0) std::abort();
  }
  return dir.string();
}

enum class IndexCache {
  kOff,     // ZORVEL_INDEX_CACHE=0
  kEmpty,   // on, its files removed before each iteration: the open walks and writes one
  kPrimed,  // on and written by an open before the measured ones
};

std::string UseIndexCache(IndexCache mode) {
  const fs::path dir = fs::path(ZORVEL_BINARY_DIR) / "bench" / "index-cache";
  ::setenv("XDG_CACHE_HOME", dir.c_str(), 1);
  ::setenv("ZORVEL_INDEX_CACHE", mode == IndexCache::kOff ? "0" : "1", 1);
  return (dir / "zorvel").string();
}

bool DropPageCache() {
  ::sync();
  const int fd = ::open("/proc/sys/vm/drop_caches", O_WRONLY);
  const bool ok = fd >= 0 && ::write(fd, "3", 1) == 1;
  if (fd >= 0) ::close(fd);
  return ok;
}

bool OpenFirstTile(const std::string& dir) {
  long count = 0, result = 0;
  CDirectorySource source(std::u16string(dir.begin(), dir.end()), 256, 256, &count, false, &result, true, false);
  CWSIZoomImage level;
  uint8_t* data = nullptr;
  uint64_t size = 0;
  bool exists = false;
  long code = 0;
  if (count != 1 || level.OpenZoomLevel(&source, false, 0, true) != 0 ||
      level.ReadEncodedTile(0, 5, 5, 0, &data, &size, &exists, &code, nullptr) != 0) {
    return false;
  }
  CDicomInteropBase::Free(data);
  return true;
}

void FirstTile(benchmark::State& state, const Level& shape, bool cold, IndexCache cache) {
  const std::string dir = SlideDir(shape);
  const std::string cacheDir = UseIndexCache(cache);
  std::error_code ec;
  fs::remove_all(cacheDir, ec);
  // A primed cache, and for warm runs the page cache, are filled by one open before the timed ones.
  if ((cache == IndexCache::kPrimed || !cold) && !OpenFirstTile(dir)) state.SkipWithError("first tile not read");
  for (auto _ : state) {
    state.PauseTiming();
    if (cache == IndexCache::kEmpty) fs::remove_all(cacheDir, ec);
    if (cold && !DropPageCache()) {
      state.SkipWithError("cannot drop the page cache (needs root)");
      break;
    }
    state.ResumeTiming();
    if (!OpenFirstTile(dir)) {
      state.SkipWithError("first tile not read");
      break;
    }
  }
}

void SequentialRead(benchmark::State& state, const Level& shape) {
  const std::string file = SlideDir(shape) + "/level0.dcm";
  std::vector<char> block(size_t{1} << 20);
  for (auto _ : state) {
    state.PauseTiming();
    if (!DropPageCache()) {
      state.SkipWithError("cannot drop the page cache (needs root)");
      break;
    }
    state.ResumeTiming();
    const int fd = ::open(file.c_str(), O_RDONLY);
    while (::read(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
  }
}

using enum IndexCache;
BENCHMARK_CAPTURE(FirstTile, basic_table_16k_warm, kBasic16k, false, kOff)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstTile, basic_table_16k_cold, kBasic16k, true, kOff)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(FirstTile, no_table_180k_warm_no_cache, kNoTable180k, false, kOff)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstTile, no_table_180k_warm_cached, kNoTable180k, false, kPrimed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstTile, no_table_180k_cold_no_cache, kNoTable180k, true, kOff)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(FirstTile, no_table_180k_cold_writing_cache, kNoTable180k, true, kEmpty)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(FirstTile, no_table_180k_cold_cached, kNoTable180k, true, kPrimed)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(SequentialRead, no_table_180k_file_cold, kNoTable180k)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

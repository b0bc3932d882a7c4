// Opening a TILED_SPARSE level of 50,000 frames: the directory scan (dataset with 50,000
// per-frame items), building the level's tile map, the first tile read (frame index), and
// the tile hot path from several threads. The file is generated once into the build tree.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "DicomInterop.h"

namespace {

constexpr int kFrames = 50000;

const std::string& SlideDir() {
  static const std::string dir = [] {
    const std::filesystem::path d = std::filesystem::path(ZORVEL_BINARY_DIR) / "bench" / "sparse50k";
    if (!std::filesystem::exists(d / "level0.dcm")) {
      std::filesystem::create_directories(d);
      const std::string command = std::string(ZORVEL_PYTHON) + " " + ZORVEL_BENCH_DIR + "/make_sparse_level.py " +
                                  (d / "level0.dcm").string() + " " + std::to_string(kFrames);
      if (std::system(command.c_str()) != 0) std::abort();
    }
    return d.string();
  }();
  return dir;
}

std::unique_ptr<CDirectorySource> Open() {
  long count = 0, result = 0;
  const std::string& dir = SlideDir();
  return std::make_unique<CDirectorySource>(std::u16string(dir.begin(), dir.end()), 256, 256, &count, false, &result,
                                            true, false);
}

void BM_ScanDirectoryWith50kFrameSparseLevel(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Open());
}
BENCHMARK(BM_ScanDirectoryWith50kFrameSparseLevel)->Unit(benchmark::kMillisecond);

void BM_OpenZoomLevel50kFrameSparse(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto source = Open();
    CWSIZoomImage level;
    state.ResumeTiming();
    if (level.OpenZoomLevel(source.get(), false, 0, true) != 0) state.SkipWithError("level did not open");
  }
}
BENCHMARK(BM_OpenZoomLevel50kFrameSparse)->Unit(benchmark::kMillisecond);

void BM_FirstTileRead50kFrameSparse(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto source = Open();
    CWSIZoomImage level;
    level.OpenZoomLevel(source.get(), false, 0, true);
    state.ResumeTiming();
    uint8_t* data = nullptr;
    uint64_t size = 0;
    bool exists = false;
    long code = 0;
    level.ReadEncodedTile(0, 3, 7, 0, &data, &size, &exists, &code, nullptr);
    CDicomInteropBase::Free(data);
  }
}
BENCHMARK(BM_FirstTileRead50kFrameSparse)->Unit(benchmark::kMillisecond);

void BM_ReadEncodedTile(benchmark::State& state) {
  static auto source = Open();
  static CWSIZoomImage level;
  if (state.thread_index() == 0 && level.GetColumns() == 0) level.OpenZoomLevel(source.get(), false, 0, true);
  uint32_t i = static_cast<uint32_t>(state.thread_index()) * 7919;
  for (auto _ : state) {
    i = (i + 104729) % kFrames;
    uint8_t* data = nullptr;
    uint64_t size = 0;
    bool exists = false;
    long code = 0;
    level.ReadEncodedTile(0, i % 250, i / 250, 0, &data, &size, &exists, &code, nullptr);
    CDicomInteropBase::Free(data);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadEncodedTile)->Threads(1)->Threads(2)->Threads(4)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

// GetImage over the grid tiles that cover each region of a list, with the slide and one bitmap per
// thread kept between iterations (warm caches): the module's share of read_region_array.
// ZORVEL_BENCH_SLIDE names the slide directory, ZORVEL_BENCH_REGIONS a file of "LEVEL X Y W H" lines
// (level pixels); ZORVEL_MODULE the module (default ../lib/ZorvelDicom.so beside this program).
#include <benchmark/benchmark.h>
#include <objbase.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "ModuleHost.h"
#include "RegionLayout.h"

namespace {

struct BenchRegion {
  LONG level = 0;
  zorvel_py::GridCover cover;
};

struct Fixture {
  zorvel_cli::ModuleHost host;
  ComPtr<IKLVZorvel3> slide;
  std::vector<BenchRegion> regions;
  std::vector<ComPtr<IKLVBitmapImage>> bitmaps;
  bool ready = false;

  Fixture() {
    const char* slideDir = std::getenv("ZORVEL_BENCH_SLIDE");
    const char* regionFile = std::getenv("ZORVEL_BENCH_REGIONS");
    if (slideDir == nullptr || regionFile == nullptr) return;
    if (FAILED(host.OpenSlide(zorvel_cli::ModuleHost::DefaultModulePath(), slideDir, slide).hr)) return;
    std::ifstream in(regionFile);
    zorvel_py::RegionRequest request;
    while (in >> request.level >> request.x >> request.y >> request.width >> request.height) {
      request.levelWidth = request.levelHeight = INT64_MAX / 2;
      regions.push_back({request.level, zorvel_py::CoverRegion(request)});
    }
    for (int i = 0; i < 2; ++i) {
      ComPtr<IKLVBitmapImage> bitmap;
      CoCreateInstance(CLSID_KLVBitmapImage, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVBitmapImage, bitmap.OutVoid());
      bitmaps.push_back(bitmap);
    }
    ready = !regions.empty() && bitmaps[0] && bitmaps[1];
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// Each thread renders every other region; one iteration is one pass over the list.
void BM_GetImageRegions(benchmark::State& state) {
  Fixture& fixture = Shared();
  if (!fixture.ready) {
    state.SkipWithError("set ZORVEL_BENCH_SLIDE and ZORVEL_BENCH_REGIONS");
    return;
  }
  IKLVBitmapImage* bitmap = fixture.bitmaps[static_cast<size_t>(state.thread_index())].Get();
  int64_t pixels = 0;
  for (auto _ : state) {
    for (size_t i = static_cast<size_t>(state.thread_index()); i < fixture.regions.size();
         i += static_cast<size_t>(state.threads())) {
      const BenchRegion& region = fixture.regions[i];
      const HRESULT hr = fixture.slide->GetImage(
          static_cast<LONG>(region.cover.column0), static_cast<LONG>(region.cover.row0),
          static_cast<LONG>(region.cover.column1), static_cast<LONG>(region.cover.row1), region.level, 2, 1, 0, bitmap);
      if (FAILED(hr)) state.SkipWithError("GetImage failed");
      pixels += (region.cover.x1 - region.cover.x0) * (region.cover.y1 - region.cover.y0);
    }
  }
  state.counters["pixels_per_second"] = benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GetImageRegions)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

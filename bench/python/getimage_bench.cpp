// GetImage over the grid tiles that cover each region of a list, with the slide and one bitmap per
// thread kept between iterations (warm caches): the module's share of read_region_array; and the
// same followed by the binding's copy into R, G, B memory, its share without Python.
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
  zorvel_py::RegionRequest request;
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
      regions.push_back({request, zorvel_py::CoverRegion(request)});
    }
    for (int i = 0; i < 2; ++i) {
      ComPtr<IKLVBitmapImage> bitmap;
      CoCreateInstance(CLSID_KLVBitmapImage, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVBitmapImage, bitmap.OutVoid());
      bitmaps.push_back(bitmap);
    }
    ready = !regions.empty() && bitmaps[0] && bitmaps[1];
    if (!ready) return;
    for (const BenchRegion& region : regions) {  // warm the caches: the figures are of cached tiles
      slide->GetImage(static_cast<LONG>(region.cover.column0), static_cast<LONG>(region.cover.row0),
                      static_cast<LONG>(region.cover.column1), static_cast<LONG>(region.cover.row1),
                      region.request.level, 2, 1, 0, bitmaps[0].Get());
    }
  }
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

// Copies the bitmap's B, G, R cover of `region` into `out`, a packed R, G, B array of the region.
bool CopyToArray(IKLVBitmapImage* bitmap, const BenchRegion& region, std::vector<std::uint8_t>& out) {
  LONG stride = 0;
  char* bits = nullptr;
  if (FAILED(bitmap->get_Stride(&stride)) || FAILED(bitmap->LockBits(&bits))) return false;
  out.resize(static_cast<size_t>(region.request.width * region.request.height * 3));
  const zorvel_py::RenderedBitmap rendered{reinterpret_cast<const std::uint8_t*>(bits), stride, 1,
                                           region.cover.column0 * zorvel_py::kGridTile,
                                           region.cover.row0 * zorvel_py::kGridTile};
  const zorvel_py::DestinationLayout layout{out.data(), region.request.width * 3, 3, 1};
  zorvel_py::CopyRendered(rendered, region.cover.x0, region.cover.y0, region.cover.x1, region.cover.y1, layout,
                          region.request.x, region.request.y);
  bitmap->UnlockBits(bits);
  return true;
}

// Each thread renders every threads-th region: an iteration is one thread's share of a pass, and
// Google Benchmark reports time per iteration (a pass takes threads times that). With `copy`,
// each rendering is also copied as read_region_array copies it.
void RenderRegions(benchmark::State& state, bool copy) {
  Fixture& fixture = Shared();
  if (!fixture.ready) {
    state.SkipWithError("set ZORVEL_BENCH_SLIDE and ZORVEL_BENCH_REGIONS");
    return;
  }
  IKLVBitmapImage* bitmap = fixture.bitmaps[static_cast<size_t>(state.thread_index())].Get();
  std::vector<std::uint8_t> array;
  int64_t pixels = 0;
  for (auto _ : state) {
    for (size_t i = static_cast<size_t>(state.thread_index()); i < fixture.regions.size();
         i += static_cast<size_t>(state.threads())) {
      const BenchRegion& region = fixture.regions[i];
      const HRESULT hr = fixture.slide->GetImage(
          static_cast<LONG>(region.cover.column0), static_cast<LONG>(region.cover.row0),
          static_cast<LONG>(region.cover.column1), static_cast<LONG>(region.cover.row1), region.request.level, 2, 1,
          0, bitmap);
      if (FAILED(hr) || (copy && !CopyToArray(bitmap, region, array))) state.SkipWithError("GetImage failed");
      pixels += (region.cover.x1 - region.cover.x0) * (region.cover.y1 - region.cover.y0);
    }
  }
  state.counters["pixels_per_second"] = benchmark::Counter(static_cast<double>(pixels), benchmark::Counter::kIsRate);
}
void BM_GetImageRegions(benchmark::State& state) { RenderRegions(state, false); }
void BM_GetImageAndCopy(benchmark::State& state) { RenderRegions(state, true); }
// CPU time of the whole process (the module's own threads too), comparable with Python's process_time.
BENCHMARK(BM_GetImageRegions)->Threads(1)->Threads(2)->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetImageAndCopy)->Threads(1)->Threads(2)->UseRealTime()->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

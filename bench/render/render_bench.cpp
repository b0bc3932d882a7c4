// GetImage of 1024 x 1024 level-0 regions at seeded random grid-aligned positions, cold (each
// region once) with 1 and 2 threads (key 50006), warm (one region again), a level-3 region, and
// plain TurboJPEG decoding of the same source tiles on as many threads: the ratios are the figures.
#include <KLVComponents.h>
#include <KLVInterfaces/KLVHostObjects.h>
#include <benchmark/benchmark.h>
#include <objbase.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "DicomZorvel.h"

namespace {

constexpr LONG kGridPerRegion = 4;  // 1024 pixels in 256-pixel grid tiles
constexpr size_t kRegions = 48;

struct Position {
  LONG x, y;  // first grid tile
};

struct Fixture {
  IKLVZorvel3* slide = nullptr;
  IKLVBitmapImage* bitmap = nullptr;
  std::vector<Position> positions;                 // seeded random, distinct
  std::vector<std::vector<std::vector<unsigned char>>> tiles;  // encoded tiles of each region
  size_t next = 0;
  bool ready = false;

  Fixture() {
    ZorvelComponentsRegister();
    const char* dir = std::getenv("ZORVEL_RENDER_BENCH_SLIDE");
    const std::u16string path = std::filesystem::path(dir != nullptr ? dir : BENCH_SLIDE_DIR).u16string();
    if (FAILED(ZorvelCom::CreateComInstance<CDicomZorvel>(nullptr, IID_IKLVZorvel3, reinterpret_cast<void**>(&slide))))
      return;
    BSTR name = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
    const HRESULT opened = slide->OpenSlide(name);
    SysFreeString(name);
    CoCreateInstance(CLSID_KLVBitmapImage, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVBitmapImage,
                     reinterpret_cast<void**>(&bitmap));
    if (FAILED(opened) || bitmap == nullptr) return;
    ChoosePositions();
    ready = ReadTiles();
  }

  // The 1024-pixel regions that lie wholly on level 0, found by probing raw tiles.
  void ChoosePositions() {
    LONG columns = 0, rows = 0;
    while (Exists(columns * kGridPerRegion, 0)) ++columns;
    while (Exists(0, rows * kGridPerRegion)) ++rows;
    std::vector<Position> all;
    for (LONG y = 0; y + 1 < rows; ++y) {
      for (LONG x = 0; x + 1 < columns; ++x) all.push_back({x * kGridPerRegion, y * kGridPerRegion});
    }
    std::shuffle(all.begin(), all.end(), std::mt19937(1));
    all.resize(std::min(all.size(), kRegions));
    positions = all;
  }

  bool Exists(LONG x, LONG y) { return !Raw(x, y).empty(); }

  std::vector<unsigned char> Raw(LONG x, LONG y) {
    IKLVMemoryBuffer* buffer = nullptr;
    CoCreateInstance(CLSID_KLVMemoryBuffer, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVMemoryBuffer,
                     reinterpret_cast<void**>(&buffer));
    std::vector<unsigned char> bytes;
    if (buffer != nullptr && SUCCEEDED(slide->GetImageRaw(x, y, 0, 0, 0, nullptr, buffer))) {
      LONG count = 0;
      char* data = nullptr;
      buffer->RemoteGetPtr(&count, &data);
      if (data != nullptr) bytes.assign(data, data + count);
      buffer->RemotePassPtr(&count, &data);
    }
    if (buffer != nullptr) buffer->Release();
    return bytes;
  }

  bool ReadTiles() {
    for (const Position& p : positions) {
      auto& region = tiles.emplace_back();
      for (LONG y = 0; y < kGridPerRegion; ++y) {
        for (LONG x = 0; x < kGridPerRegion; ++x) region.push_back(Raw(p.x + x, p.y + y));
      }
    }
    return !positions.empty();
  }

  void SetThreads(ULONGLONG threads) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_UI8;
    value.ullVal = threads;
    slide->put_Properties(50006, value);
  }
};

Fixture& Get() {
  static Fixture fixture;
  return fixture;
}

HRESULT Render(Fixture& f, const Position& p, LONG level = 0) {
  return f.slide->GetImage(p.x, p.y, p.x + kGridPerRegion - 1, p.y + kGridPerRegion - 1, level, 0, 0, 0, f.bitmap);
}

void GetImageCold(benchmark::State& state) {
  Fixture& f = Get();
  if (!f.ready) return state.SkipWithError("no slide");
  f.SetThreads(static_cast<ULONGLONG>(state.range(0)));
  for (auto _ : state) {
    if (Render(f, f.positions[f.next++ % f.positions.size()]) != S_OK) return state.SkipWithError("GetImage failed");
  }
  state.SetItemsProcessed(state.iterations() * 1024 * 1024);
}
BENCHMARK(GetImageCold)->Arg(1)->Arg(2)->Iterations(static_cast<int64_t>(kRegions / 2))->UseRealTime();

void GetImageWarm(benchmark::State& state) {
  Fixture& f = Get();
  if (!f.ready) return state.SkipWithError("no slide");
  f.SetThreads(2);
  Render(f, f.positions[0]);
  for (auto _ : state) Render(f, f.positions[0]);
  state.SetItemsProcessed(state.iterations() * 1024 * 1024);
}
BENCHMARK(GetImageWarm)->UseRealTime();

void GetImageLevel3(benchmark::State& state) {
  Fixture& f = Get();
  if (!f.ready) return state.SkipWithError("no slide");
  f.SetThreads(2);
  for (auto _ : state) Render(f, {0, 0}, 3);
  state.SetItemsProcessed(state.iterations() * 1024 * 1024);
}
BENCHMARK(GetImageLevel3)->UseRealTime();

// The 16 tiles of a region decoded by TurboJPEG into B, G, R lines, split over the threads.
void TurboJpegTiles(benchmark::State& state) {
  Fixture& f = Get();
  if (!f.ready) return state.SkipWithError("no slide");
  const int threads = static_cast<int>(state.range(0));
  std::vector<std::vector<unsigned char>> out(static_cast<size_t>(threads), std::vector<unsigned char>(256 * 768));
  size_t next = 0;
  for (auto _ : state) {
    const auto& region = f.tiles[next++ % f.tiles.size()];
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
      workers.emplace_back([&, t] {
        tjhandle handle = tjInitDecompress();
        for (size_t i = static_cast<size_t>(t); i < region.size(); i += static_cast<size_t>(threads)) {
          tjDecompress2(handle, region[i].data(), region[i].size(), out[static_cast<size_t>(t)].data(), 256, 768, 256,
                        TJPF_BGR, 0);
        }
        tjDestroy(handle);
      });
    }
    for (auto& worker : workers) worker.join();
  }
  state.SetItemsProcessed(state.iterations() * 1024 * 1024);
}
BENCHMARK(TurboJpegTiles)->Arg(1)->Arg(2)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

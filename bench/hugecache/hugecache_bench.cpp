// Tile cache costs on the tile path: a decoded-cache hit (Find, copy of a 256 x 256 x 3 tile into
// a bitmap-sized buffer, Release) against a plain memcpy of the same bytes (goal: ratio >= 0.8);
// Reserve + MarkComplete + Release of new tiles and encoded AddTile, per second on 1 and 2
// threads; resident memory after opening one slide with default settings (slabs stay virtual).
#include <KLVComponents.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "DicomZorvel.h"
#include "HugeCache/CacheBudgets.h"
#include "HugeCache/DecodedTileCache.h"
#include "HugeCache/EncodedTileCache.h"

namespace {

using namespace HugeCache;

constexpr ULONGLONG kTileBytes = 256 * 256 * 3;
constexpr long kHotTiles = 16;

DecodedTileCache& HitCache() {
  static DecodedTileCache* cache = [] {
    auto* made = new DecodedTileCache();
    made->Init(u"/bench/hits", kTileBytes, 64 * kTileBytes);
    for (long x = 0; x < kHotTiles; ++x) {
      unsigned char* slot = nullptr;
      made->Reserve(0, 0, 0, 0, x, slot);
      std::memset(slot, static_cast<int>(x), kTileBytes);
      made->MarkComplete(0, 0, 0, 0, x);
      made->Release(slot);
    }
    return made;
  }();
  return *cache;
}

void BM_DecodedHitFindAndCopy(benchmark::State& state) {
  DecodedTileCache& cache = HitCache();
  std::vector<unsigned char> bitmap(kTileBytes);
  long x = 0;
  for (auto _ : state) {
    unsigned char* tile = cache.Find(0, 0, 0, 0, x, true);
    std::memcpy(bitmap.data(), tile, kTileBytes);
    cache.Release(tile);
    benchmark::DoNotOptimize(bitmap.data());
    x = (x + 1) % kHotTiles;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTileBytes));
}
BENCHMARK(BM_DecodedHitFindAndCopy);

void BM_PlainMemcpy(benchmark::State& state) {
  std::vector<unsigned char> source(kHotTiles * kTileBytes, 1);
  std::vector<unsigned char> bitmap(kTileBytes);
  long x = 0;
  for (auto _ : state) {
    std::memcpy(bitmap.data(), source.data() + x * kTileBytes, kTileBytes);
    benchmark::DoNotOptimize(bitmap.data());
    x = (x + 1) % kHotTiles;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTileBytes));
}
BENCHMARK(BM_PlainMemcpy);

// New tiles into a full ring (the overflow tier takes nothing: its budget is 0), without writing.
void BM_ReserveAndFinish(benchmark::State& state) {
  static DecodedTileCache* cache = nullptr;
  static std::atomic<long> next{0};
  if (state.thread_index() == 0) {
    cache = new DecodedTileCache();
    cache->Init(u"/bench/reserve", kTileBytes, 256 * kTileBytes);
    ScatteredDecodedCache::SetBudget(0);
  }
  for (auto _ : state) {
    const long x = next++;
    unsigned char* slot = nullptr;
    if (cache->Reserve(0, 0, 0, x / 1000, x % 1000, slot) == DecodedTileCache::kReserveNew) {
      cache->MarkComplete(0, 0, 0, x / 1000, x % 1000);
    }
    cache->Release(slot);
  }
  state.SetItemsProcessed(state.iterations());
  if (state.thread_index() == 0) {
    delete cache;
    cache = nullptr;
  }
}
BENCHMARK(BM_ReserveAndFinish)->Threads(1)->Threads(2)->UseRealTime();

// New encoded tiles of 20 KB within a 20 MB budget, so that the oldest go as new ones come.
void BM_EncodedAddTile(benchmark::State& state) {
  static std::atomic<long> next{0};
  EncodedTileCache cache;
  cache.Register(u"/bench/encoded");
  if (state.thread_index() == 0) EncodedTileCache::SetBudget(20'000'000);
  auto* block = static_cast<unsigned char*>(std::malloc(20'000));
  const EncodedTile buffer(block);
  for (auto _ : state) {
    const long x = next++;
    cache.AddTile(0, 0, 0, x / 1000, x % 1000, buffer, 20'000);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodedAddTile)->Threads(1)->Threads(2)->UseRealTime();

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

// Resident memory before and after one slide is opened with default settings and one tile read.
void BM_ResidentAfterOpeningOneSlide(benchmark::State& state) {
  ZorvelComponentsRegister();
  const long before = ResidentKiB();
  IKLVZorvel3* slide = nullptr;
  ZorvelCom::CreateComInstance<CDicomZorvel>(nullptr, IID_IKLVZorvel3, reinterpret_cast<void**>(&slide));
  const std::u16string path = std::filesystem::path(BENCH_SLIDE_DIR).u16string();
  BSTR name = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
  slide->OpenSlide(name);
  SysFreeString(name);
  VARIANT width;
  VariantInit(&width);
  slide->GetSlideProperties(1, &width);  // opens the first level: caches set up
  VariantClear(&width);
  for (auto _ : state) benchmark::DoNotOptimize(ResidentKiB());
  state.counters["resident_growth_MiB"] = static_cast<double>(ResidentKiB() - before) / 1024.0;
  state.counters["slab_reserved_MiB"] = static_cast<double>(DecodedTileCache::SlabBytes()) / (1 << 20);
  state.counters["decoded_overflow_budget_MiB"] = static_cast<double>(ScatteredDecodedCache::Budget()) / (1 << 20);
  state.counters["encoded_budget_MiB"] = static_cast<double>(EncodedTileCache::Budget()) / (1 << 20);
  slide->Release();
}
BENCHMARK(BM_ResidentAfterOpeningOneSlide)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

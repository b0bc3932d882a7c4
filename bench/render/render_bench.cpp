// GetImage of 1024 x 1024 regions against plain TurboJPEG decoding of the same source tiles and
// against OpenSlide's read_region of the same regions on the TIFF of the same tile bytes. Each
// benchmark alternates the readers region by region (or pair by pair) over regions neither has
// read before, so that the ratio (other reader's time / GetImage's time) comes from one run under
// one load. Cold: nothing cached; threads: key 50006 for GetImage, reading threads for the others.
// Read-ahead is off in the comparisons: between calls it would fill the caches and take processor
// time from the other reader. WholeSlide renders every level-0 region once, then again, with
// read-ahead on, and reports resident memory.
#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cstdlib>

#include "HugeCache/CacheBudgets.h"
#include "HugeCache/ScatteredCache.h"
#include "RenderBenchReaders.h"

namespace {

using RenderBench::Readers;
using RenderBench::Region;
using Clock = std::chrono::steady_clock;

constexpr double kRegionMegapixels = 1024.0 * 1024.0 / 1e6;

size_t RegionCount() {
  const char* count = std::getenv("ZORVEL_RENDER_BENCH_REGIONS");
  return count != nullptr ? std::strtoul(count, nullptr, 10) : 24;
}

Readers& Shared() {
  static Readers* readers = [] {
    auto* made = new Readers();
    if (made->Ready()) made->SetReadAhead(false);
    return made;
  }();
  return *readers;
}

// Processor time of every thread of the process (TBB workers and the agent included).
double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Wall and processor seconds of a reader, summed over its reads.
struct Cost {
  double wall = 0, cpu = 0;
};

template <class Read>
void Measure(Cost& cost, const Read& read) {
  const double cpu = ProcessCpuSeconds();
  const auto start = Clock::now();
  read();
  cost.wall += std::chrono::duration<double>(Clock::now() - start).count();
  cost.cpu += ProcessCpuSeconds() - cpu;
}

// Both readers' rates over the same regions, how many times faster GetImage was, and how many
// times less processor time it took (less sensitive to the machine's other load).
void Report(benchmark::State& state, const char* other, size_t regions, const Cost& ours, const Cost& theirs) {
  const double megapixels = static_cast<double>(regions) * kRegionMegapixels;
  state.counters["getimage_MPps"] = megapixels / ours.wall;
  state.counters[other] = megapixels / theirs.wall;
  state.counters["ratio"] = theirs.wall / ours.wall;
  state.counters["cpu_ratio"] = theirs.cpu / ours.cpu;
  state.SetIterationTime(ours.wall);
}

double MiB(ULONGLONG bytes) { return static_cast<double>(bytes) / (1 << 20); }

bool Usable(benchmark::State& state, bool needsOpenSlide) {
  if (!Shared().Ready()) {
    state.SkipWithError("no slide");
    return false;
  }
  if (needsOpenSlide && !Shared().HasOpenSlide()) {
    state.SkipWithError("built without OpenSlide, or no slide.tiff beside the DICOM folder");
    return false;
  }
  return true;
}

void ColdVsTurboJpeg(benchmark::State& state) {
  if (!Usable(state, false)) return;
  Readers& r = Shared();
  const int threads = static_cast<int>(state.range(0));
  r.SetThreads(static_cast<ULONGLONG>(threads));
  const std::vector<Region> regions = r.TakeFresh(RegionCount());
  Cost ours, theirs;
  for (auto _ : state) {
    for (const Region& region : regions) {
      bool rendered = false;
      Measure(ours, [&] { rendered = r.Render(region); });
      if (!rendered) return state.SkipWithError("GetImage failed");
      const auto tiles = r.EncodedTiles(region);
      Measure(theirs, [&] { r.DecodeTiles(tiles, threads); });
    }
  }
  Report(state, "turbojpeg_MPps", regions.size(), ours, theirs);
}
BENCHMARK(ColdVsTurboJpeg)->Arg(2)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Pairs of regions: GetImage renders both one after the other, OpenSlide reads them on threads.
void ColdVsOpenSlide(benchmark::State& state) {
  if (!Usable(state, true)) return;
  Readers& r = Shared();
  const int threads = static_cast<int>(state.range(0));
  r.SetThreads(static_cast<ULONGLONG>(threads));
  const std::vector<Region> regions = r.TakeFresh(RegionCount());
  Cost ours, theirs;
  for (auto _ : state) {
    for (size_t i = 0; i + 1 < regions.size(); i += 2) {
      const std::vector<Region> pair{regions[i], regions[i + 1]};
      Measure(ours, [&] { r.Render(pair[0]) && r.Render(pair[1]); });
      Measure(theirs, [&] { r.ReadOpenSlide(pair, threads); });
    }
  }
  Report(state, "openslide_MPps", regions.size() / 2 * 2, ours, theirs);
}
BENCHMARK(ColdVsOpenSlide)->Arg(2)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// One region read again and again by both, after two reads each (a tile enters the decoded cache
// when it is asked for a second time).
void WarmVsOpenSlide(benchmark::State& state) {
  if (!Usable(state, true)) return;
  Readers& r = Shared();
  r.SetThreads(2);
  const std::vector<Region> region = r.TakeFresh(1);
  for (int i = 0; i < 2; ++i) {
    r.Render(region[0]);
    r.ReadOpenSlide(region, 1);
  }
  Cost ours, theirs;
  size_t reads = 0;
  for (auto _ : state) {
    for (; reads < 200; ++reads) {
      Measure(ours, [&] { r.Render(region[0]); });
      Measure(theirs, [&] { r.ReadOpenSlide(region, 1); });
    }
  }
  Report(state, "openslide_MPps", reads, ours, theirs);
}
BENCHMARK(WarmVsOpenSlide)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Every 1024 x 1024 region of level 3, read from level 3 by both, once (cold).
void Level3VsOpenSlide(benchmark::State& state) {
  if (!Usable(state, true)) return;
  Readers& r = Shared();
  r.SetThreads(2);
  const std::vector<Region> regions = r.RegionsOf(3);
  if (regions.empty()) return state.SkipWithError("no level 3");
  Cost ours, theirs;
  for (auto _ : state) {
    for (const Region& region : regions) {
      Measure(ours, [&] { r.Render(region); });
      Measure(theirs, [&] { r.ReadOpenSlide({region}, 1); });
    }
  }
  Report(state, "openslide_MPps", regions.size(), ours, theirs);
}
BENCHMARK(Level3VsOpenSlide)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

template <class Read>
double WallSeconds(const Read& read) {
  const auto start = Clock::now();
  read();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Resident memory (peak since the pass began, MiB) while every level-0 region is rendered, once
// and then a second time (when tiles enter the decoded cache), against the caches' budgets.
void WholeSlide(benchmark::State& state) {
  if (!Usable(state, false)) return;
  Readers& r = Shared();
  r.SetThreads(2);
  r.SetReadAhead(true);
  const std::vector<Region> regions = r.RegionsOf(0);
  const HugeCache::CacheBudgets budgets = HugeCache::SplitCacheBudgets(
      HugeCache::GetAvailableCacheMemory(), HugeCache::StoredCacheSettings(), false);
  const double before = RenderBench::ResidentMiB();
  double seconds = 0;
  for (auto _ : state) {
    for (int pass = 1; pass <= 2; ++pass) {
      RenderBench::ResetPeakResident();
      seconds += WallSeconds([&] {
        for (const Region& region : regions) r.Render(region);
      });
      const std::string name = "pass" + std::to_string(pass);
      state.counters[name + "_peak_MiB"] = RenderBench::PeakResidentMiB();
      state.counters[name + "_overflow_MiB"] = MiB(HugeCache::ScatteredCache<HugeCache::DecodedTile>::TotalBytes());
      state.counters[name + "_encoded_MiB"] = MiB(HugeCache::ScatteredCache<HugeCache::EncodedTile>::TotalBytes());
    }
  }
  state.counters["before_MiB"] = before;
  state.counters["budgets_MiB"] = MiB(budgets.decoded + budgets.encoded);
  state.counters["getimage_MPps"] = 2.0 * static_cast<double>(regions.size()) * kRegionMegapixels / seconds;
  state.SetIterationTime(seconds);
}
BENCHMARK(WholeSlide)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Raw tile batches (GetImageRawBatch into host memory buffers) against pread of the same bytes
// from the slide file into buffers of the same sizes; the goal is a ratio of at least 0.9.
// Also single tiles (GetImageRaw, one library read per tile) and the library's own blocks.
#include <KLVInterfaces/KLVHostObjects.h>
#include <KLVComponents.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <objbase.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DicomZorvel.h"

namespace {

constexpr LONG kColumns = 32, kRows = 32, kBatch = 64;

struct Fixture {
  IKLVZorvel3* slide = nullptr;
  std::vector<IKLVMemoryBuffer*> buffers;
  std::vector<LONG> xs, ys;
  std::vector<off_t> offsets;  // where each tile's bytes lie in the file
  std::vector<size_t> sizes;
  std::vector<std::vector<char>> targets;
  int fd = -1;
  bool ready = false;

  Fixture() {
    ZorvelComponentsRegister();
    if (FAILED(ZorvelCom::CreateComInstance<CDicomZorvel>(nullptr, IID_IKLVZorvel3, reinterpret_cast<void**>(&slide))))
      return;
    std::filesystem::path file;
    for (const auto& entry : std::filesystem::directory_iterator(BENCH_SLIDE_DIR)) {
      if (entry.path().extension() == ".dcm") file = entry.path();
    }
    const std::u16string path = std::filesystem::path(BENCH_SLIDE_DIR).u16string();
    BSTR name = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
    const HRESULT opened = slide->OpenSlide(name);
    SysFreeString(name);
    if (FAILED(opened)) return;
    std::ifstream in(file, std::ios::binary);
    const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (LONG y = 0; y < kRows; ++y) {
      for (LONG x = 0; x < kColumns; ++x) {
        IKLVMemoryBuffer* buffer = nullptr;
        CoCreateInstance(CLSID_KLVMemoryBuffer, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVMemoryBuffer,
                         reinterpret_cast<void**>(&buffer));
        if (buffer == nullptr || FAILED(slide->GetImageRaw(x, y, 0, 0, 0, nullptr, buffer))) return;
        LONG size = 0;
        char* data = nullptr;
        buffer->RemoteGetPtr(&size, &data);
        const size_t at = content.find(std::string_view(data, static_cast<size_t>(size)));
        buffer->RemotePassPtr(&size, &data);
        if (at == std::string::npos) return;
        buffers.push_back(buffer);
        xs.push_back(x);
        ys.push_back(y);
        offsets.push_back(static_cast<off_t>(at));
        sizes.push_back(static_cast<size_t>(size));
        targets.emplace_back(static_cast<size_t>(size));
      }
    }
    fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ready = fd >= 0;
  }
};

Fixture& Get() {
  static Fixture fixture;
  return fixture;
}

void RawTileBatches(benchmark::State& state) {
  Fixture& f = Get();
  if (!f.ready) return state.SkipWithError("the benchmark slide could not be read");
  const LONG count = static_cast<LONG>(f.buffers.size());
  for (auto _ : state) {
    for (LONG first = 0; first < count; first += kBatch) {
      const LONG n = std::min(kBatch, count - first);
      if (FAILED(f.slide->GetImageRawBatch(0, 0, 0, n, &f.xs[first], &f.ys[first], &f.buffers[first]))) {
        return state.SkipWithError("GetImageRawBatch failed");
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * count);
}

// The same tiles one call at a time: one positional read per tile, straight into the buffer.
void RawTilesOneByOne(benchmark::State& state) {
  Fixture& f = Get();
  if (!f.ready) return state.SkipWithError("the benchmark slide could not be read");
  for (auto _ : state) {
    for (size_t i = 0; i < f.buffers.size(); ++i) {
      if (FAILED(f.slide->GetImageRaw(f.xs[i], f.ys[i], 0, 0, 0, nullptr, f.buffers[i]))) {
        return state.SkipWithError("GetImageRaw failed");
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(f.buffers.size()));
}

// The same bytes read with pread into buffers of the same sizes (sized once, as a reader reusing them would).
void PreadSameBytes(benchmark::State& state) {
  Fixture& f = Get();
  if (!f.ready) return state.SkipWithError("the benchmark slide could not be read");
  for (auto _ : state) {
    for (size_t i = 0; i < f.sizes.size(); ++i) {
      if (pread(f.fd, f.targets[i].data(), f.sizes[i], f.offsets[i]) != static_cast<ssize_t>(f.sizes[i])) {
        return state.SkipWithError("pread failed");
      }
    }
    benchmark::DoNotOptimize(f.targets.back().data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(f.sizes.size()));
}

// The slide library's reads into blocks of its own (one per tile, freed at once), as the tile
// pipeline uses them.
void LibraryTileReads(benchmark::State& state) {
  Fixture& f = Get();
  if (!f.ready) return state.SkipWithError("the benchmark slide could not be read");
  auto* impl = static_cast<CDicomZorvel*>(f.slide);
  for (auto _ : state) {
    for (size_t i = 0; i < f.sizes.size(); ++i) {
      BYTE* data = nullptr;
      ULONGLONG size = 0;
      if (FAILED(impl->GetEncodedSourceTile(0, 0, f.ys[i], f.xs[i], 0, data, size))) {
        return state.SkipWithError("GetEncodedSourceTile failed");
      }
      std::free(data);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(f.sizes.size()));
}

BENCHMARK(PreadSameBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(LibraryTileReads)->Unit(benchmark::kMillisecond);
BENCHMARK(RawTileBatches)->Unit(benchmark::kMillisecond);
BENCHMARK(RawTilesOneByOne)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Raw tiles through the slide-access object against a plain pread loop of the same bytes, on the
// 192 JPEG tiles of a 4096 x 3072 level: tiles of about 12 KB (argument 0) and about 44 KB
// (argument 1). One thread, warm page cache, host buffers reused as a viewer reuses them. Goal:
// GetImageRaw and batches of 64 at no less than 0.9 of pread's tiles per second.
#include <KLVInterfaces/KLVHostObjects.h>
#include <KLVComponents.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <objbase.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "DicomZorvel.h"

namespace {

constexpr LONG kColumns = 16, kRows = 12, kBatch = 64;
constexpr const char* kSlides[] = {"slide-12k", "slide-44k"};

struct Fixture {
  IKLVZorvel3* slide = nullptr;
  IKLVMemoryBuffer* single = nullptr;         // the one buffer of the one-by-one reads
  std::vector<IKLVMemoryBuffer*> buffers;     // one per tile of a batch
  std::vector<LONG> xs, ys;
  std::vector<off_t> offsets;  // where each tile's bytes lie in the file
  std::vector<size_t> sizes;
  std::vector<char> target;    // pread's one reused buffer
  int fd = -1;
  bool ready = false;

  explicit Fixture(const std::filesystem::path& dir) {
    ZorvelComponentsRegister();
    if (FAILED(ZorvelCom::CreateComInstance<CDicomZorvel>(nullptr, IID_IKLVZorvel3, reinterpret_cast<void**>(&slide))))
      return;
    std::filesystem::path file;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      if (entry.path().extension() == ".dcm") file = entry.path();
    }
    const std::u16string path = dir.u16string();
    BSTR name = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
    const HRESULT opened = slide->OpenSlide(name);
    SysFreeString(name);
    if (FAILED(opened) || !NewBuffer(single)) return;
    std::ifstream in(file, std::ios::binary);
    const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (LONG y = 0; y < kRows; ++y) {
      for (LONG x = 0; x < kColumns; ++x) {
        IKLVMemoryBuffer* buffer = nullptr;
        if (!NewBuffer(buffer) || FAILED(slide->GetImageRaw(x, y, 0, 0, 0, nullptr, buffer))) return;
        LONG lent = 0;
        char* data = nullptr;
        buffer->RemoteGetPtr(&lent, &data);
        const size_t size = static_cast<size_t>(lent);  // passing the pointer back zeroes `lent`
        const size_t at = size == 0 ? std::string::npos : content.find(std::string_view(data, size));
        buffer->RemotePassPtr(&lent, &data);
        if (at == std::string::npos) return;
        buffers.push_back(buffer);
        xs.push_back(x);
        ys.push_back(y);
        offsets.push_back(static_cast<off_t>(at));
        sizes.push_back(size);
      }
    }
    target.resize(*std::max_element(sizes.begin(), sizes.end()));
    fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ready = fd >= 0;
  }

  static bool NewBuffer(IKLVMemoryBuffer*& buffer) {
    return SUCCEEDED(CoCreateInstance(CLSID_KLVMemoryBuffer, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVMemoryBuffer,
                                      reinterpret_cast<void**>(&buffer)));
  }
};

Fixture& Get(benchmark::State& state) {
  static std::array<Fixture*, 2> fixtures{};
  Fixture*& fixture = fixtures[static_cast<size_t>(state.range(0))];
  if (fixture == nullptr) fixture = new Fixture(std::filesystem::path(BENCH_SLIDE_DIR) / kSlides[state.range(0)]);
  return *fixture;
}

void Finish(benchmark::State& state, const Fixture& f) {
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(f.sizes.size()));
  size_t bytes = 0;
  for (size_t size : f.sizes) bytes += size;
  state.counters["tile_bytes"] = benchmark::Counter(static_cast<double>(bytes) / static_cast<double>(f.sizes.size()));
}

// The host's plain loop: every tile read with pread into one reused buffer.
void PreadLoop(benchmark::State& state) {
  Fixture& f = Get(state);
  if (!f.ready) return state.SkipWithError("the benchmark slide could not be read");
  for (auto _ : state) {
    for (size_t i = 0; i < f.sizes.size(); ++i) {
      if (pread(f.fd, f.target.data(), f.sizes[i], f.offsets[i]) != static_cast<ssize_t>(f.sizes[i])) {
        return state.SkipWithError("pread failed");
      }
    }
    benchmark::DoNotOptimize(f.target.data());
  }
  Finish(state, f);
}

// GetImageRaw tile after tile into one reused host buffer.
void GetImageRawLoop(benchmark::State& state) {
  Fixture& f = Get(state);
  if (!f.ready) return state.SkipWithError("the benchmark slide could not be read");
  for (auto _ : state) {
    for (size_t i = 0; i < f.sizes.size(); ++i) {
      if (FAILED(f.slide->GetImageRaw(f.xs[i], f.ys[i], 0, 0, 0, nullptr, f.single))) {
        return state.SkipWithError("GetImageRaw failed");
      }
    }
  }
  Finish(state, f);
}

// GetImageRawBatch in batches of 64 into host buffers reused from call to call.
void GetImageRawBatchOf64(benchmark::State& state) {
  Fixture& f = Get(state);
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
  Finish(state, f);
}

BENCHMARK(PreadLoop)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(GetImageRawLoop)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(GetImageRawBatchOf64)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

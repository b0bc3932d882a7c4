// Decoding every tile of a JPEG level into B, G, R lines: through the codec component
// (GetImageInfo + DecodeImage, as the module's decoder calls it) and through TurboJPEG directly
// (header + decompress into the same buffers). The ratio of the two rates is the figure.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "codec_com/CodecObject.h"
#include "codec_common/CodecDestination.h"

namespace {

using Tile = std::vector<BYTE>;

const std::vector<Tile>& Tiles() {
  static const std::vector<Tile> tiles = [] {
    std::vector<std::filesystem::path> paths;
    for (const auto& entry : std::filesystem::directory_iterator(BENCH_TILES_DIR)) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    std::vector<Tile> loaded;
    for (const auto& path : paths) {
      std::ifstream in(path, std::ios::binary);
      loaded.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return loaded;
  }();
  return tiles;
}

constexpr int kTile = 256;
constexpr int kStride = kTile * 3;  // already a multiple of 4

void ThroughCodecComponent(benchmark::State& state) {
  IKLVImageCodec* codec = Components::CreateJpegCodec();
  std::vector<BYTE> lines(kStride * kTile);
  for (auto _ : state) {
    for (const Tile& tile : Tiles()) {
      LONG width = 0, height = 0, type = 0, unused = 0;
      const auto size = static_cast<ULONG>(tile.size());
      codec->GetImageInfo(tile.data(), size, &width, &height, &type, nullptr);
      if (codec->DecodeImage(tile.data(), size, lines.data(), static_cast<ULONG>(lines.size()), &unused, width,
                             height, 4, type) != S_OK) {
        state.SkipWithError("decode failed");
      }
    }
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(Tiles().size()));
  codec->Release();
}

void ThroughTurboJpeg(benchmark::State& state) {
  tjhandle handle = tjInitDecompress();
  std::vector<BYTE> lines(kStride * kTile);
  for (auto _ : state) {
    for (const Tile& tile : Tiles()) {
      int width = 0, height = 0, subsampling = 0, colourspace = 0;
      tjDecompressHeader3(handle, tile.data(), tile.size(), &width, &height, &subsampling, &colourspace);
      if (tjDecompress2(handle, tile.data(), tile.size(), lines.data(), width, kStride, height, TJPF_BGR, 0) != 0) {
        state.SkipWithError("decode failed");
      }
    }
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(Tiles().size()));
  tjDestroy(handle);
}

BENCHMARK(ThroughCodecComponent)->Unit(benchmark::kMillisecond)->Threads(1)->Threads(2);
BENCHMARK(ThroughTurboJpeg)->Unit(benchmark::kMillisecond)->Threads(1)->Threads(2);

}  // namespace

BENCHMARK_MAIN();

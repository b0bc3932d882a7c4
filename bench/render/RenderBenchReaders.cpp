// The benchmark's readers. Every reader writes into memory it keeps between calls (one bitmap, one
// buffer per thread), as a viewer does: fresh memory is slow to write the first time here.
#include "RenderBenchReaders.h"

#include <KLVComponents.h>
#include <KLVInterfaces/KLVHostObjects.h>
#include <objbase.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "DicomZorvel.h"

#ifdef ZORVEL_BENCH_OPENSLIDE
#include <openslide.h>
#endif

namespace RenderBench {
namespace {

constexpr int kTilePixels = 256;

struct Paths {
  std::filesystem::path dicom, tiff;
};

Paths SlidePaths() {
  const char* dir = std::getenv("ZORVEL_RENDER_BENCH_SLIDE");
  const std::filesystem::path root = dir != nullptr ? dir : BENCH_SLIDE_DIR;
  if (std::filesystem::is_directory(root / "dicom")) return {root / "dicom", root / "slide.tiff"};
  return {root, root.parent_path() / "slide.tiff"};
}

// Runs work(t) for t in [0, threads) on as many threads, the caller being thread 0.
template <class Work>
void OnThreads(int threads, const Work& work) {
  std::vector<std::thread> others;
  for (int t = 1; t < threads; ++t) others.emplace_back(work, t);
  work(0);
  for (auto& thread : others) thread.join();
}

double StatusMiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::strtod(line.c_str() + std::strlen(field), nullptr) / 1024.0;
  }
  return 0;
}

}  // namespace

Readers::Readers() {
  ZorvelComponentsRegister();
  const Paths paths = SlidePaths();
  const std::u16string path = paths.dicom.u16string();
  if (FAILED(ZorvelCom::CreateComInstance<CDicomZorvel>(nullptr, IID_IKLVZorvel3, reinterpret_cast<void**>(&m_slide))))
    return;
  BSTR name = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
  const HRESULT opened = m_slide->OpenSlide(name);
  SysFreeString(name);
  if (FAILED(opened)) {
    m_slide->Release();
    m_slide = nullptr;
    return;
  }
  CoCreateInstance(CLSID_KLVBitmapImage, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVBitmapImage,
                   reinterpret_cast<void**>(&m_bitmap));
  m_level0 = RegionsOf(0);
  for (LONG level : {0, 3}) OpenLevel(level);
#ifdef ZORVEL_BENCH_OPENSLIDE
  if (std::filesystem::exists(paths.tiff)) {
    openslide_t* slide = openslide_open(paths.tiff.c_str());
    if (slide != nullptr && openslide_get_error(slide) == nullptr) {
      m_openSlide = slide;
      for (int32_t level = 0; level < openslide_get_level_count(slide); ++level) {
        m_downsamples.push_back(openslide_get_level_downsample(slide, level));
      }
    } else if (slide != nullptr) {
      openslide_close(slide);
    }
  }
#endif
}

Readers::~Readers() {
#ifdef ZORVEL_BENCH_OPENSLIDE
  if (m_openSlide != nullptr) openslide_close(static_cast<openslide_t*>(m_openSlide));
#endif
  if (m_bitmap != nullptr) m_bitmap->Release();
  if (m_slide != nullptr) m_slide->Release();
}

std::vector<Region> Readers::RegionsOf(LONG level) {
  if (m_slide == nullptr) return {};
  LONG columns = 0, rows = 0;
  while (!Raw(level, (columns + 1) * kGridPerRegion - 1, 0).empty()) ++columns;
  while (!Raw(level, 0, (rows + 1) * kGridPerRegion - 1).empty()) ++rows;
  std::vector<Region> regions;
  for (LONG y = 0; y < rows; ++y) {
    for (LONG x = 0; x < columns; ++x) regions.push_back({level, x * kGridPerRegion, y * kGridPerRegion});
  }
  std::shuffle(regions.begin(), regions.end(), std::mt19937(1));
  return regions;
}

std::vector<Region> Readers::TakeFresh(size_t count) {
  const size_t first = std::min(m_nextFresh, m_level0.size());
  m_nextFresh = std::min(first + count, m_level0.size());
  return {m_level0.begin() + static_cast<std::ptrdiff_t>(first), m_level0.begin() + static_cast<std::ptrdiff_t>(m_nextFresh)};
}

void Readers::SetThreads(ULONGLONG threads) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_UI8;
  value.ullVal = threads;
  m_slide->put_Properties(50006, value);
}

void Readers::SetReadAhead(bool on) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BOOL;
  value.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
  for (LONG key : {50008, 50009}) m_slide->put_Properties(key, value);
}

bool Readers::Render(const Region& r) {
  return m_slide->GetImage(r.x, r.y, r.x + kGridPerRegion - 1, r.y + kGridPerRegion - 1, r.level, 0, 0, 0,
                           m_bitmap) == S_OK;
}

void Readers::OpenLevel(LONG level) { m_slide->GetImage(-1, -1, -1, -1, level, 0, 0, 0, m_bitmap); }

std::vector<unsigned char> Readers::Raw(LONG level, LONG x, LONG y) {
  IKLVMemoryBuffer* buffer = nullptr;
  CoCreateInstance(CLSID_KLVMemoryBuffer, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVMemoryBuffer,
                   reinterpret_cast<void**>(&buffer));
  std::vector<unsigned char> bytes;
  if (buffer != nullptr && SUCCEEDED(m_slide->GetImageRaw(x, y, 0, 0, level, nullptr, buffer))) {
    LONG count = 0;
    char* data = nullptr;
    buffer->RemoteGetPtr(&count, &data);
    if (data != nullptr) bytes.assign(data, data + count);
    buffer->RemotePassPtr(&count, &data);
  }
  if (buffer != nullptr) buffer->Release();
  return bytes;
}

std::vector<std::vector<unsigned char>> Readers::EncodedTiles(const Region& r) {
  std::vector<std::vector<unsigned char>> tiles;
  for (LONG y = 0; y < kGridPerRegion; ++y) {
    for (LONG x = 0; x < kGridPerRegion; ++x) tiles.push_back(Raw(r.level, r.x + x, r.y + y));
  }
  return tiles;
}

void Readers::DecodeTiles(const std::vector<std::vector<unsigned char>>& tiles, int threads) {
  m_decodeBuffers.resize(static_cast<size_t>(threads), std::vector<unsigned char>(kTilePixels * kTilePixels * 3));
  OnThreads(threads, [&](int t) {
    thread_local tjhandle handle = tjInitDecompress();
    for (size_t i = static_cast<size_t>(t); i < tiles.size(); i += static_cast<size_t>(threads)) {
      tjDecompress2(handle, tiles[i].data(), tiles[i].size(), m_decodeBuffers[static_cast<size_t>(t)].data(),
                    kTilePixels, kTilePixels * 3, kTilePixels, TJPF_BGR, 0);
    }
  });
}

bool Readers::ReadOpenSlide(const std::vector<Region>& regions, int threads) {
#ifdef ZORVEL_BENCH_OPENSLIDE
  auto* slide = static_cast<openslide_t*>(m_openSlide);
  if (slide == nullptr) return false;
  m_openSlideBuffers.resize(static_cast<size_t>(threads), std::vector<uint32_t>(kRegionPixels * kRegionPixels));
  OnThreads(threads, [&](int t) {
    for (size_t i = static_cast<size_t>(t); i < regions.size(); i += static_cast<size_t>(threads)) {
      const Region& r = regions[i];
      const double scale = m_downsamples[static_cast<size_t>(r.level)] * kTilePixels;
      openslide_read_region(slide, m_openSlideBuffers[static_cast<size_t>(t)].data(), static_cast<int64_t>(r.x * scale),
                            static_cast<int64_t>(r.y * scale), r.level, kRegionPixels, kRegionPixels);
    }
  });
  return openslide_get_error(slide) == nullptr;
#else
  (void)regions;
  (void)threads;
  return false;
#endif
}

double PeakResidentMiB() { return StatusMiB("VmHWM:"); }
double ResidentMiB() { return StatusMiB("VmRSS:"); }

void ResetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

}  // namespace RenderBench

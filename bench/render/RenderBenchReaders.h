// The readers the region benchmark compares, over one slide: GetImage of grid-aligned 1024 x 1024
// regions, plain TurboJPEG decoding of the same source tiles, and (when built with OpenSlide)
// openslide_read_region of the same regions on the TIFF that holds the same tile bytes.
// ZORVEL_RENDER_BENCH_SLIDE names a folder written by ../shared/bench/make_slide.py (dicom/ and
// slide.tiff), or a DICOM folder alone; without it, the slide written at build time is read.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <windef.h>

struct IKLVZorvel3;
struct IKLVBitmapImage;

namespace RenderBench {

inline constexpr LONG kGridPerRegion = 4;  // 1024 pixels in 256-pixel grid tiles
inline constexpr LONG kRegionPixels = 1024;

struct Region {
  LONG level = 0;
  LONG x = 0, y = 0;  // first grid tile of the level
};

class Readers {
 public:
  Readers();
  ~Readers();
  Readers(const Readers&) = delete;
  Readers& operator=(const Readers&) = delete;

  bool Ready() const { return m_slide != nullptr && m_bitmap != nullptr; }
  bool HasOpenSlide() const { return m_openSlide != nullptr; }
  // Every region wholly inside the level, in seeded random order (the same for every reader).
  std::vector<Region> RegionsOf(LONG level);
  // The next count regions of level 0 that no benchmark used yet: cold for every reader.
  std::vector<Region> TakeFresh(size_t count);

  // Key 50006: the concurrency of GetImage's blocks and loops.
  void SetThreads(ULONGLONG threads);
  // Keys 50008 and 50009: chunk and tile read-ahead between calls (on by default).
  void SetReadAhead(bool on);
  bool Render(const Region& region);
  // A tile left of the slide at that level: the level is opened for rendering and no tile is read,
  // as OpenSlide opens every level before its first read.
  void OpenLevel(LONG level);
  // The region's encoded tiles decoded into B, G, R lines by TurboJPEG on threads threads.
  void DecodeTiles(const std::vector<std::vector<unsigned char>>& tiles, int threads);
  std::vector<std::vector<unsigned char>> EncodedTiles(const Region& region);
  // The regions read by openslide_read_region, threads threads sharing the one handle.
  bool ReadOpenSlide(const std::vector<Region>& regions, int threads);

 private:
  std::vector<unsigned char> Raw(LONG level, LONG x, LONG y);

  IKLVZorvel3* m_slide = nullptr;
  IKLVBitmapImage* m_bitmap = nullptr;
  void* m_openSlide = nullptr;  // openslide_t
  std::vector<double> m_downsamples;
  std::vector<std::vector<uint32_t>> m_openSlideBuffers;  // one per thread, reused
  std::vector<std::vector<unsigned char>> m_decodeBuffers;  // one per thread, reused
  std::vector<Region> m_level0;
  size_t m_nextFresh = 0;
};

// Resident memory of this process: the peak since the last ResetPeakResident, and now (MiB).
double PeakResidentMiB();
double ResidentMiB();
void ResetPeakResident();

}  // namespace RenderBench

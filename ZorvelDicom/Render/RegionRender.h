// The per-call block network of a region request: N decode stages, each linked to its own
// placement stage, one completion block, one missing-tile block and the background block; and the
// handlers that run in them. Every tile that enters is accounted for exactly once, whatever fails.
// The object lives on the calling thread's stack; its destructor drains the blocks upstream first.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include <agents.h>
#include <winerror.h>

#include "Pipeline/SourceTileData.h"
#include "Pipeline/TileRef.h"
#include "Pipeline/ViewpartState.h"
#include "Render/RegionGeometry.h"
#include "Render/TilePlacement.h"
#include "Render/TileUnpack.h"

namespace DicomGeneralUtils {
class CDicomImageDecoder;
}
namespace HugeCache {
class DecodedTileCache;
}

namespace Render {

// What the stages read, fixed for the whole call.
struct RegionTiles {
  RegionRequest request;
  ClippedRegion clipped;
  BackgroundLayout background;
  OutputPixels out;
  uint64_t lockedBytes = 0;
  uint8_t backgroundByte = 0;
  int64_t tileStride = 0;        // line length of a decoded tile in the output sample size
  int64_t tileStrideNative = 0;  // the same at the slide's own sample size (decoding before reduction)
  int samples = 3;
  int sourceBytes = 1;  // bytes per sample of a decoded tile
  bool reduce = false;  // 16-bit samples become their high bytes while decoding
  DicomGeneralUtils::CDicomImageDecoder* decoder = nullptr;  // null for uncompressed frames
  UncompressedLayout frame;                                  // uncompressed frames
  // Where decoded tiles are kept for other requests; null when its tiles have another layout.
  HugeCache::DecodedTileCache* decodedCache = nullptr;
};

class RegionRender {
 public:
  RegionRender(const RegionTiles& tiles, size_t stages);
  ~RegionRender();
  RegionRender(const RegionRender&) = delete;
  RegionRender& operator=(const RegionRender&) = delete;

  Pipeline::RequestTargets& Targets() { return m_targets; }
  // Posts the background painting; WaitBackground returns when it is done.
  void PaintBackground();
  void WaitBackground() { m_backgroundDone.wait(); }
  // The call's result once every tile is accounted for: the request's failure, else the decode
  // failure code when a decode failed, else the last decode result.
  HRESULT Result(HRESULT requestError) const;

 private:
  Pipeline::TileRef Decode(const Pipeline::SourceTileData& tile);
  Pipeline::TileRef DecodeOwned(const Pipeline::SourceTileData& tile);
  Pipeline::TileRef DecodeIntoSlot(const Pipeline::SourceTileData& tile, unsigned char* slot);
  HRESULT DecodeInto(const Pipeline::SourceTileData& tile, uint8_t* destination);
  // Keeps the last decode result; a failure is reported and marks the call.
  void NoteDecode(HRESULT hr);
  Pipeline::TileRef Place(const Pipeline::TileRef& tile);
  void Complete(const Pipeline::TileRef& tile);
  void Missing(const Pipeline::TileRef& tile);
  TileFootprint Footprint(const Pipeline::TileRef& tile) const;
  // Byte slot of a one-sample tile's channel; -1 for colour tiles.
  int Slot(const Pipeline::TileRef& tile) const;

  RegionTiles m_tiles;
  std::atomic<HRESULT> m_lastDecode{S_OK};
  std::atomic<bool> m_decodeFailed{false};
  Concurrency::event m_backgroundDone;
  Pipeline::RequestTargets m_targets;
  // Declared downstream first: members are destroyed in reverse, so the decode stages drain into
  // live placement stages, and those into the live completion block.
  std::unique_ptr<Concurrency::call<Pipeline::TileRef>> m_completion;
  std::unique_ptr<Concurrency::call<Pipeline::TileRef>> m_missing;
  std::unique_ptr<Concurrency::call<uint8_t>> m_background;
  std::vector<std::unique_ptr<Concurrency::transformer<Pipeline::TileRef, Pipeline::TileRef>>> m_placement;
  std::vector<std::unique_ptr<Concurrency::transformer<Pipeline::SourceTileData, Pipeline::TileRef>>> m_decode;
};

}  // namespace Render

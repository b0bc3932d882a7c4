// Handlers of the region network: decode (codec, reduction or uncompressed unpacking), placement,
// missing tiles, completion and background. A tile that cannot be decoded is placed as background.
#include "Render/RegionRender.h"

#include <cstring>
#include <new>

#include <ppl.h>

#include "Decoder/DicomGeneralUtils.h"
#include "HugeCache/DecodedTileCache.h"
#include "ModuleLog.h"
#include "Pipeline/SourceAgentHolder.h"

namespace Render {
namespace {

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr const char16_t* kDecodeStage = u"CDicomZorvelImpl::GetImage::<lambda_2>::operator ()";
constexpr int kDecodeLine = 2664;
constexpr HRESULT kTileNotDecoded = static_cast<HRESULT>(0x810301F4u);

struct PlacementReport {
  int line;
  const char16_t* function;
};

PlacementReport ReportFor(PlacementKind kind) {
  switch (kind) {
    case PlacementKind::Copy3Channels: return {3020, u"CDicomZorvelImpl::Copy3ChannelsTo"};
    case PlacementKind::Copy3ChannelsWithColorReduction:
      return {3062, u"CDicomZorvelImpl::Copy3ChannelsToWithColorReduction"};
    case PlacementKind::CopyShrinked3Channels: return {3157, u"CDicomZorvelImpl::CopyShrinked3ChannelsTo"};
    case PlacementKind::CopyFluor: return {3211, u"CDicomZorvelImpl::CopyFluorTo"};
    case PlacementKind::CopyFluorWithColorReduction:
      return {3255, u"CDicomZorvelImpl::CopyFluorToWithColorReduction"};
    case PlacementKind::CopyShrinkedFluor: return {3301, u"CDicomZorvelImpl::CopyShrinkedFluorTo"};
  }
  return {0, u""};
}

}  // namespace

RegionRender::RegionRender(const RegionTiles& tiles, size_t stages) : m_tiles(tiles) {
  m_completion = std::make_unique<Concurrency::call<Pipeline::TileRef>>(
      [this](const Pipeline::TileRef& tile) { Complete(tile); });
  m_missing = std::make_unique<Concurrency::call<Pipeline::TileRef>>(
      [this](const Pipeline::TileRef& tile) { Missing(tile); });
  m_background = std::make_unique<Concurrency::call<uint8_t>>([this](const uint8_t& value) {
    Render::PaintBackground(m_tiles.out, m_tiles.background, m_tiles.lockedBytes, value);
    m_backgroundDone.set();
  });
  for (size_t i = 0; i < stages; ++i) {
    m_placement.push_back(std::make_unique<Concurrency::transformer<Pipeline::TileRef, Pipeline::TileRef>>(
        [this](const Pipeline::TileRef& tile) { return Place(tile); }, m_completion.get()));
    m_decode.push_back(std::make_unique<Concurrency::transformer<Pipeline::SourceTileData, Pipeline::TileRef>>(
        [this](const Pipeline::SourceTileData& tile) { return Decode(tile); }, m_placement.back().get()));
    m_targets.decoders.push_back(m_decode.back().get());
    m_targets.secondStage.push_back(m_placement.back().get());
  }
  m_targets.tileTarget = m_missing.get();
}

RegionRender::~RegionRender() = default;

void RegionRender::PaintBackground() { Concurrency::send(*m_background, m_tiles.backgroundByte); }

HRESULT RegionRender::Result(HRESULT requestError) const {
  if (FAILED(requestError)) return requestError;
  if (m_decodeFailed) return kTileNotDecoded;
  return m_lastDecode;
}

// The decoded-cache slot of the tile: found finished, reserved for decoding here, deferred while
// another request decodes it (nothing to place now; the agent sends it again), or no slot at all.
// A tile read from the slide for the first time is decoded into a buffer of its own and kept only
// encoded: a slot is fresh memory, slow to write the first time, and most tiles are viewed once.
Pipeline::TileRef RegionRender::Decode(const Pipeline::SourceTileData& tile) {
  HugeCache::DecodedTileCache* cache = m_tiles.decodedCache;
  if (cache == nullptr || (tile.request->cacheEncoded && !tile.readBefore)) return DecodeOwned(tile);
  const auto& s = tile.request->source;
  unsigned char* slot = nullptr;
  switch (cache->Reserve(s.focus, s.zoomLevel, tile.channel, tile.row, tile.column, slot)) {
    case HugeCache::DecodedTileCache::kReserveFinished:
      return Pipeline::TileRef(tile.request, tile.column, tile.row, tile.channel, cache, slot, tile.decoderIndex);
    case HugeCache::DecodedTileCache::kReservePending:
      tile.request->AddPending({tile.channel, tile.column, tile.row});
      // The agent may be asleep with nothing else to serve: it must come back for this tile.
      Pipeline::SourceAgentHolder::Instance().Wake();
      return Pipeline::TileRef(tile.request, tile.column, tile.row, tile.channel, nullptr, Pipeline::kNothingToPlace);
    case HugeCache::DecodedTileCache::kReserveNew: return DecodeIntoSlot(tile, slot);
    default: return DecodeOwned(tile);
  }
}

Pipeline::TileRef RegionRender::DecodeIntoSlot(const Pipeline::SourceTileData& tile, unsigned char* slot) {
  HugeCache::DecodedTileCache* cache = m_tiles.decodedCache;
  HRESULT hr = E_FAIL;
  try {
    hr = DecodeInto(tile, slot);
  } catch (...) {
    hr = E_OUTOFMEMORY;
  }
  NoteDecode(hr);
  if (hr != S_OK) {
    cache->Release(slot);  // released unfinished: the slot is emptied
    return Pipeline::TileRef(tile.request, tile.column, tile.row, tile.channel, nullptr, tile.decoderIndex);
  }
  const auto& s = tile.request->source;
  cache->MarkComplete(s.focus, s.zoomLevel, tile.channel, tile.row, tile.column);
  return Pipeline::TileRef(tile.request, tile.column, tile.row, tile.channel, cache, slot, tile.decoderIndex);
}

// Decoded bytes of its own, or none when the tile cannot be decoded (it is then background).
Pipeline::TileRef RegionRender::DecodeOwned(const Pipeline::SourceTileData& tile) {
  Pipeline::TileBuffer bytes;
  HRESULT hr = S_OK;
  try {
    bytes = Pipeline::TakeTileBuffer(static_cast<size_t>(m_tiles.request.tileHeight * m_tiles.tileStride));
    hr = DecodeInto(tile, bytes.get());
  } catch (...) {
    hr = E_OUTOFMEMORY;
  }
  NoteDecode(hr);
  if (hr != S_OK) bytes.reset();
  return Pipeline::TileRef(tile.request, tile.column, tile.row, tile.channel, std::move(bytes), tile.decoderIndex);
}

void RegionRender::NoteDecode(HRESULT hr) {
  m_lastDecode = hr;
  if (hr == S_OK) return;
  SeGetErrorLogFile()->LogError(kSource, kDecodeLine, hr, kDecodeStage);
  if (FAILED(hr)) m_decodeFailed = true;
}

HRESULT RegionRender::DecodeInto(const Pipeline::SourceTileData& tile, uint8_t* destination) {
  const RegionTiles& t = m_tiles;
  const auto width = static_cast<LONG>(t.request.tileWidth), height = static_cast<LONG>(t.request.tileHeight);
  if (t.decoder == nullptr) {
    return UnpackUncompressedTile(tile.data.get(), tile.size, t.frame, t.reduce, destination, t.tileStride) ? S_OK
                                                                                                         : E_FAIL;
  }
  const auto size = static_cast<ULONG>(tile.size);
  const auto samples = static_cast<USHORT>(t.samples);
  if (!t.reduce) {
    return t.decoder->DecodeExact(tile.data.get(), size, samples, destination,
                                  static_cast<ULONG>(height * t.tileStride), width, height);
  }
  // 16-bit samples decoded aside; byte i of a line is the high byte 2i + 1 of the decoded line.
  const size_t nativeBytes = static_cast<size_t>(height * t.tileStrideNative);
  std::unique_ptr<uint8_t[]> native(new uint8_t[nativeBytes]());
  const HRESULT hr = t.decoder->DecodeExact(tile.data.get(), size, samples, native.get(),
                                            static_cast<ULONG>(nativeBytes), width, height);
  if (FAILED(hr)) return hr;
  const int64_t lineSamples = int64_t{width} * t.samples;
  Concurrency::parallel_for(LONG{0}, height, [&](LONG y) {
    const uint8_t* in = native.get() + y * t.tileStrideNative;
    uint8_t* out = destination + y * t.tileStride;
    for (int64_t i = 0; i < lineSamples; ++i) out[i] = in[2 * i + 1];
  });
  return hr;
}

int RegionRender::Slot(const Pipeline::TileRef& tile) const { return m_tiles.samples == 1 ? tile.channel() % 3 : -1; }

TileFootprint RegionRender::Footprint(const Pipeline::TileRef& tile) const {
  return ComputeFootprint(m_tiles.request, m_tiles.clipped, tile.column(), tile.row());
}

Pipeline::TileRef RegionRender::Place(const Pipeline::TileRef& tile) {
  if (tile.blockIndex() == Pipeline::kNothingToPlace) return tile;
  const TileFootprint footprint = Footprint(tile);
  if (!tile.hasBytes()) {
    FillFootprint(m_tiles.out, footprint, m_tiles.backgroundByte, Slot(tile));
    return tile;
  }
  const RegionTiles& t = m_tiles;
  const PlacementKind kind = ChoosePlacement(t.samples, t.request.shift, t.reduce, t.sourceBytes);
  const SourcePixels source{tile.bytes(), t.tileStride, t.request.tileWidth, t.request.tileHeight, t.samples,
                            t.sourceBytes};
  try {
    PlaceTile(kind, t.out, source, footprint, t.request.shift, Slot(tile));
  } catch (...) {
    const PlacementReport report = ReportFor(kind);
    SeGetErrorLogFile()->LogError(kSource, report.line, E_FAIL, report.function);
  }
  return tile;
}

void RegionRender::Complete(const Pipeline::TileRef& tile) {
  if (tile.valid() && tile.blockIndex() != Pipeline::kNothingToPlace) tile.request().TileDone();
}

void RegionRender::Missing(const Pipeline::TileRef& tile) {
  try {
    FillFootprint(m_tiles.out, Footprint(tile), m_tiles.backgroundByte, Slot(tile));
  } catch (...) {
    SeGetErrorLogFile()->LogError(kSource, kDecodeLine, E_FAIL, kDecodeStage);
  }
  tile.request().TileDone();
}

}  // namespace Render

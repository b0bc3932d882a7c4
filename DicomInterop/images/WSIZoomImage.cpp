// CWSIZoomImage: opening a level through its directory source, the tile path (tile map lookup,
// then a positional read of the frame), and the pseudo-colour getters.
#include "WSIZoomImage.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "../frames/FrameBatchRead.h"
#include "../pyramid/LevelData.h"
#include "../pyramid/SourceState.h"
#include "DirectorySource.h"
#include "PaletteTables.h"

using namespace DicomInteropDefines;

namespace {

long Fail(long code, long* errorCode, std::u16string* errorText, const char16_t* text) {
  if (errorCode) *errorCode = code;
  if (errorText) *errorText = text;
  return code;
}

// Finds the tile and runs `read` (InstanceFrames&, frame) -> result on its stored frame. The
// outs as CWSIZoomImage::ReadEncodedTile describes them; a tile not stored is not read.
template <class Read>
long ReadStoredTile(const dicominterop::LevelData* level, uint32_t plane, uint32_t x, uint32_t y, uint32_t channel,
                    uint64_t* size, bool* tileExists, long* errorCode, std::u16string* errorText, Read read) {
  if (!size) return Fail(WSI_E_INVALIDARG, errorCode, errorText, u"null output pointer");
  *size = 0;
  if (tileExists) *tileExists = false;
  if (!level) return Fail(WSI_E_NOT_OPEN, errorCode, errorText, u"zoom level not opened");
  const dicominterop::FrameRef* ref = level->Find(plane, channel, y, x);
  if (!ref) return Fail(WSI_E_INVALIDARG, errorCode, errorText, u"tile position outside the level");
  if (ref->part == dicominterop::FrameRef::kMissing) return Fail(WSI_OK, errorCode, nullptr, nullptr);
  const long rc = read(*level->parts[ref->part], ref->frame);
  if (rc != WSI_OK) {
    *size = 0;
    return Fail(rc, errorCode, errorText, u"tile could not be read");
  }
  if (tileExists) *tileExists = true;
  return Fail(WSI_OK, errorCode, nullptr, nullptr);
}

}  // namespace

CWSIZoomImage::CWSIZoomImage() = default;
CWSIZoomImage::~CWSIZoomImage() = default;

long CWSIZoomImage::OpenZoomLevel(CDirectorySource* source, bool extended, int32_t level, bool validate) {
  if (!source || !source->State() || source->State()->IsClosed()) return WSI_E_STOP;
  std::shared_ptr<const dicominterop::LevelData> data;
  const long rc = source->State()->OpenLevel(extended, level, validate, data);
  if (rc != WSI_OK) return rc;
  m_level = std::move(data);
  m_extended = extended;
  m_zoomLevel = level;
  return WSI_OK;
}

bool CWSIZoomImage::IsExtendedFocusImage() const { return m_extended; }
int32_t CWSIZoomImage::GetZoomLevel() const { return m_zoomLevel; }
uint32_t CWSIZoomImage::GetZStackCount() const { return m_level ? static_cast<uint32_t>(m_level->planeZ.size()) : 0; }
std::vector<double> CWSIZoomImage::GetZStackCoords() const { return m_level ? m_level->planeZ : std::vector<double>(); }
uint32_t CWSIZoomImage::GetChannelCount() const { return m_level ? static_cast<uint32_t>(m_level->channels.size()) : 0; }
bool CWSIZoomImage::IsTiledFull() const { return m_level && m_level->tiledFull; }

bool CWSIZoomImage::IsUnmixedBrightfield() const {
  return m_level && m_level->representative->samplesPerPixel == 3;
}

long CWSIZoomImage::ReadEncodedTile(uint32_t plane, uint32_t x, uint32_t y, uint32_t channel, uint8_t** data,
                                    uint64_t* size, bool* tileExists, long* errorCode,
                                    std::u16string* errorText) const {
  if (m_extended) return Fail(WSI_E_NOT_OPEN, errorCode, errorText, u"extended-focus image: use ReadEncodedTileFromExtendedFocus");
  return ReadTile(plane, x, y, channel, data, size, tileExists, errorCode, errorText);
}

long CWSIZoomImage::ReadEncodedTileFromExtendedFocus(uint32_t x, uint32_t y, uint32_t channel, uint8_t** data,
                                                     uint64_t* size, bool* tileExists, long* errorCode,
                                                     std::u16string* errorText) const {
  if (!m_extended) return Fail(WSI_E_NOT_OPEN, errorCode, errorText, u"not an extended-focus image");
  return ReadTile(0, x, y, channel, data, size, tileExists, errorCode, errorText);
}

long CWSIZoomImage::ReadTile(uint32_t plane, uint32_t x, uint32_t y, uint32_t channel, uint8_t** data,
                             uint64_t* size, bool* tileExists, long* errorCode, std::u16string* errorText) const {
  if (!data) return Fail(WSI_E_INVALIDARG, errorCode, errorText, u"null output pointer");
  *data = nullptr;
  return ReadStoredTile(m_level.get(), plane, x, y, channel, size, tileExists, errorCode, errorText,
                        [&](const dicominterop::InstanceFrames& frames, uint32_t frame) {
                          return frames.ReadFrame(frame, data, size);
                        });
}

long CWSIZoomImage::GetEncodedTileSize(uint32_t plane, uint32_t x, uint32_t y, uint32_t channel, uint64_t* size,
                                       bool* tileExists, long* errorCode, std::u16string* errorText) const {
  return ReadStoredTile(m_level.get(), plane, x, y, channel, size, tileExists, errorCode, errorText,
                        [&](const dicominterop::InstanceFrames& frames, uint32_t frame) {
                          return frames.FrameSize(frame, size);
                        });
}

long CWSIZoomImage::ReadEncodedTileInto(uint32_t plane, uint32_t x, uint32_t y, uint32_t channel,
                                        uint8_t* destination, uint64_t capacity, uint64_t* size, bool* tileExists,
                                        long* errorCode, std::u16string* errorText) const {
  return ReadStoredTile(m_level.get(), plane, x, y, channel, size, tileExists, errorCode, errorText,
                        [&](const dicominterop::InstanceFrames& frames, uint32_t frame) {
                          return frames.ReadFrameInto(frame, destination, capacity, size);
                        });
}

long CWSIZoomImage::ReadEncodedTileFromExtendedFocusInto(uint32_t x, uint32_t y, uint32_t channel,
                                                         uint8_t* destination, uint64_t capacity, uint64_t* size,
                                                         bool* tileExists, long* errorCode,
                                                         std::u16string* errorText) const {
  if (!m_extended) {
    if (size) *size = 0;
    return Fail(WSI_E_NOT_OPEN, errorCode, errorText, u"not an extended-focus image");
  }
  return ReadEncodedTileInto(0, x, y, channel, destination, capacity, size, tileExists, errorCode, errorText);
}

long CWSIZoomImage::ReadEncodedTileProvided(bool extended, uint32_t plane, uint32_t x, uint32_t y, uint32_t channel,
                                            TileMemoryProvider provide, void* context, uint64_t* size,
                                            long* errorCode) const {
  if (extended && !m_extended) {
    if (size) *size = 0;
    return Fail(WSI_E_NOT_OPEN, errorCode, nullptr, u"not an extended-focus image");
  }
  return ReadStoredTile(m_level.get(), plane, x, y, channel, size, nullptr, errorCode, nullptr,
                        [&](const dicominterop::InstanceFrames& frames, uint32_t frame) {
                          uint64_t length = 0;
                          if (const long rc = frames.FrameSize(frame, &length); rc != WSI_OK) return rc;
                          uint8_t* destination = provide ? provide(context, length) : nullptr;
                          if (!destination) return WSI_E_INVALIDARG;
                          return frames.ReadFrameInto(frame, destination, length, size);
                        });
}

long CWSIZoomImage::ReadEncodedTilesFromExtendedFocusInto(uint32_t channel, WSIEncodedTileRead* tiles,
                                                          size_t count) const {
  if (m_extended) return ReadEncodedTilesInto(0, channel, tiles, count);
  for (size_t i = 0; tiles && i < count; ++i) {
    tiles[i].size = 0;
    tiles[i].result = WSI_E_NOT_OPEN;
  }
  return count == 0 ? WSI_OK : WSI_E_NOT_OPEN;
}

long CWSIZoomImage::ReadEncodedTilesInto(uint32_t plane, uint32_t channel, WSIEncodedTileRead* tiles,
                                         size_t count) const {
  if (count == 0) return WSI_OK;
  if (!tiles) return WSI_E_INVALIDARG;
  if (!m_level) return WSI_E_NOT_OPEN;
  try {
    return ReadTiles(plane, channel, tiles, count);
  } catch (const std::bad_alloc&) {
    for (size_t i = 0; i < count; ++i) {
      tiles[i].size = 0;
      tiles[i].result = WSI_E_OUTOFMEMORY;
    }
    return WSI_E_OUTOFMEMORY;
  }
}

long CWSIZoomImage::ReadTiles(uint32_t plane, uint32_t channel, WSIEncodedTileRead* tiles, size_t count) const {
  std::vector<dicominterop::FrameRead> reads(count);
  for (size_t i = 0; i < count; ++i) {
    dicominterop::FrameRead& read = reads[i];
    const dicominterop::FrameRef* ref = m_level->Find(plane, channel, tiles[i].y, tiles[i].x);
    read.result = ref ? WSI_OK : WSI_E_INVALIDARG;
    if (!ref || ref->part == dicominterop::FrameRef::kMissing) continue;
    read.frames = m_level->parts[ref->part].get();
    read.frame = ref->frame;
    read.destination = tiles[i].destination;
    read.capacity = tiles[i].capacity;
  }
  dicominterop::ReadFrames(reads);
  long first = WSI_OK;
  for (size_t i = 0; i < count; ++i) {
    tiles[i].size = reads[i].size;
    tiles[i].result = reads[i].result;
    if (first == WSI_OK) first = reads[i].result;
  }
  return first;
}

bool CWSIZoomImage::GetMaxPseudoColors(uint32_t channel, uint16_t* red, uint16_t* green, uint16_t* blue) const {
  if (!m_level || !red || !green || !blue || channel >= m_level->channels.size() || IsUnmixedBrightfield()) return false;
  const auto& lut = m_level->channels[channel].palette;
  const uint16_t bits = m_level->representative->bitsStored;
  const uint32_t maxValue = (1u << std::min<uint16_t>(std::max<uint16_t>(bits, 1), 16)) - 1;
  *red = dicominterop::PaletteColour(lut, 0, maxValue, bits);
  *green = dicominterop::PaletteColour(lut, 1, maxValue, bits);
  *blue = dicominterop::PaletteColour(lut, 2, maxValue, bits);
  return true;
}

long CWSIZoomImage::GetLut(int component, uint32_t channel, bool reduced, uint16_t** entries, uint32_t* count) const {
  if (!entries || !count) return WSI_E_INVALIDARG;
  if (!m_level) return WSI_E_NOT_OPEN;
  if (channel >= m_level->channels.size()) return WSI_E_INVALIDARG;
  const std::vector<uint16_t> table = dicominterop::PseudoColourTable(
      m_level->channels[channel].palette, component, reduced, m_level->representative->bitsStored);
  auto* copy = static_cast<uint16_t*>(std::malloc(table.size() * sizeof(uint16_t)));
  if (!copy) return WSI_E_OUTOFMEMORY;
  std::memcpy(copy, table.data(), table.size() * sizeof(uint16_t));
  *entries = copy;
  *count = static_cast<uint32_t>(table.size());
  return WSI_OK;
}

long CWSIZoomImage::GetPseudoColorRedLUT(uint32_t channel, bool reduced, uint16_t** entries, uint32_t* count) const {
  return GetLut(0, channel, reduced, entries, count);
}
long CWSIZoomImage::GetPseudoColorGreenLUT(uint32_t channel, bool reduced, uint16_t** entries, uint32_t* count) const {
  return GetLut(1, channel, reduced, entries, count);
}
long CWSIZoomImage::GetPseudoColorBlueLUT(uint32_t channel, bool reduced, uint16_t** entries, uint32_t* count) const {
  return GetLut(2, channel, reduced, entries, count);
}

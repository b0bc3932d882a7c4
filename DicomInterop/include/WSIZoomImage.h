// CWSIZoomImage: one zoom level of the slide (normal focus or extended depth of field) and
// its encoded tiles. Tile reads are thread-safe and lock-free (positional reads on a shared
// descriptor); the tile buffer is the caller's and is released with CDicomInteropBase::Free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "WSIImageBase.h"

class CDirectorySource;

// One tile of a batch read into caller memory (CWSIZoomImage::ReadEncodedTilesInto).
struct WSIEncodedTileRead {
  uint32_t x = 0;                  // tile column
  uint32_t y = 0;                  // tile row
  uint8_t* destination = nullptr;  // at least `capacity` bytes
  uint64_t capacity = 0;
  uint64_t size = 0;               // out: bytes written (0 for a tile the level does not store)
  long result = 0;                 // out: as the result of ReadEncodedTileInto
};

class DICOMINTEROP_API CWSIZoomImage : public CWSIImageBase {
 public:
  CWSIZoomImage();
  ~CWSIZoomImage() override;

  // Opens zoom level `level` (0 = full resolution) of the source's normal or extended-focus
  // image. 0 on success; WSI_E_LEVEL_ABSENT (negative) when the slide has no such level;
  // WSI_E_STOP when the source is closed or null; other negative codes for unreadable data.
  // With `validate`, instances of the level with differing tile size or pixel format fail.
  long OpenZoomLevel(CDirectorySource* source, bool extended, int32_t level, bool validate);

  bool IsExtendedFocusImage() const;
  int32_t GetZoomLevel() const;
  uint32_t GetZStackCount() const;              // focal planes of this level
  std::vector<double> GetZStackCoords() const;  // Z offsets in micrometres, plane order
  uint32_t GetChannelCount() const;             // optical paths (1 for brightfield colour)
  bool IsTiledFull() const;
  bool IsUnmixedBrightfield() const;            // colour (RGB / YBR) brightfield image

  // Encoded tile at tile column x, row y of focal plane `plane`, optical path `channel`.
  // Success: *data (malloc'd, release with Free), *size, *tileExists = true, *errorCode = 0.
  // A tile the level does not store (sparse level): *data = nullptr, *size = 0,
  // *tileExists = false, result 0. Failures: the code is returned and put in *errorCode;
  // `errorText` (may be null) receives a description.
  long ReadEncodedTile(uint32_t plane, uint32_t x, uint32_t y, uint32_t channel, uint8_t** data,
                       uint64_t* size, bool* tileExists, long* errorCode, std::u16string* errorText) const;
  // The same on the extended-focus image (this object must have been opened with extended).
  long ReadEncodedTileFromExtendedFocus(uint32_t x, uint32_t y, uint32_t channel, uint8_t** data,
                                        uint64_t* size, bool* tileExists, long* errorCode,
                                        std::u16string* errorText) const;

  // Reading into the caller's memory, for callers that size their own buffers: the byte count
  // of a tile first, then the tile itself into at least that many bytes at `destination`. On an
  // extended-focus image `plane` is 0, its only plane. Results, *tileExists and *errorCode as
  // for ReadEncodedTile (a tile the level does not store: size 0, result 0); a destination
  // smaller than the tile gives WSI_E_INVALIDARG. Both are thread-safe and lock-free.
  long GetEncodedTileSize(uint32_t plane, uint32_t x, uint32_t y, uint32_t channel, uint64_t* size,
                          bool* tileExists, long* errorCode, std::u16string* errorText) const;
  long ReadEncodedTileInto(uint32_t plane, uint32_t x, uint32_t y, uint32_t channel, uint8_t* destination,
                           uint64_t capacity, uint64_t* size, bool* tileExists, long* errorCode,
                           std::u16string* errorText) const;
  // Many tiles of one plane and channel, each into its own destination: tiles that lie one
  // after another in a file are read by one system call. WSI_OK when every entry succeeded,
  // else the result of the first entry that failed (the others are read all the same).
  long ReadEncodedTilesInto(uint32_t plane, uint32_t channel, WSIEncodedTileRead* tiles, size_t count) const;
  // The same two reads on the extended-focus image: WSI_E_NOT_OPEN on an image not opened with
  // `extended` (for the batch in the result and in every entry).
  long ReadEncodedTileFromExtendedFocusInto(uint32_t x, uint32_t y, uint32_t channel, uint8_t* destination,
                                            uint64_t capacity, uint64_t* size, bool* tileExists,
                                            long* errorCode, std::u16string* errorText) const;
  long ReadEncodedTilesFromExtendedFocusInto(uint32_t channel, WSIEncodedTileRead* tiles, size_t count) const;
  // Memory for ReadEncodedTileProvided: called once with the tile's byte count, it returns where
  // to write at least that many bytes, or null to give the read up.
  using TileMemoryProvider = uint8_t* (*)(void* context, uint64_t size);
  // One tile read into memory provided once its size is known, with one lookup of the tile (the
  // size and the read above look it up once each). `extended` reads the extended-focus image
  // (plane 0; WSI_E_NOT_OPEN on an image not opened so). A tile the level does not store: size 0,
  // result 0, provide not called. provide giving null: WSI_E_INVALIDARG. Thread-safe, lock-free.
  long ReadEncodedTileProvided(bool extended, uint32_t plane, uint32_t x, uint32_t y, uint32_t channel,
                               TileMemoryProvider provide, void* context, uint64_t* size, long* errorCode) const;

  // Brightest pseudo colour of a channel (16-bit red, green, blue); false when unknown.
  bool GetMaxPseudoColors(uint32_t channel, uint16_t* red, uint16_t* green, uint16_t* blue) const;
  // Pseudo-colour tables: `reduced` gives 256 entries with 8-bit values (for 8-bit output);
  // otherwise 2^BitsStored entries with 16-bit values (256 8-bit entries for 8-bit images).
  // Channels without a palette get a grey ramp. Entries released with Free.
  long GetPseudoColorRedLUT(uint32_t channel, bool reduced, uint16_t** entries, uint32_t* count) const;
  long GetPseudoColorGreenLUT(uint32_t channel, bool reduced, uint16_t** entries, uint32_t* count) const;
  long GetPseudoColorBlueLUT(uint32_t channel, bool reduced, uint16_t** entries, uint32_t* count) const;

 private:
  long ReadTile(uint32_t plane, uint32_t x, uint32_t y, uint32_t channel, uint8_t** data,
                uint64_t* size, bool* tileExists, long* errorCode, std::u16string* errorText) const;
  long ReadTiles(uint32_t plane, uint32_t channel, WSIEncodedTileRead* tiles, size_t count) const;
  long GetLut(int component, uint32_t channel, bool reduced, uint16_t** entries, uint32_t* count) const;

  bool m_extended = false;
  int32_t m_zoomLevel = -1;
};

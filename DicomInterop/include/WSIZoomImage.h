// CWSIZoomImage: one zoom level of the slide (normal focus or extended depth of field) and
// its encoded tiles. Tile reads are thread-safe and lock-free (positional reads on a shared
// descriptor); the tile buffer is the caller's and is released with CDicomInteropBase::Free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "WSIImageBase.h"

class CDirectorySource;

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
  long GetLut(int component, uint32_t channel, bool reduced, uint16_t** entries, uint32_t* count) const;

  bool m_extended = false;
  int32_t m_zoomLevel = -1;
};

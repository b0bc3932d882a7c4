// CWSIImageBase: attributes of one opened zoom level (tile geometry, pixel format, transfer
// syntax, acquisition and optical-path values), read from the level's datasets.
// Getters never touch the file. Before a level is opened they fail (WSI_E_NOT_OPEN) or answer 0.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "DicomInteropApi.h"
#include "DicomInteropDefines.h"

namespace dicominterop {
struct LevelData;
}

class DICOMINTEROP_API CWSIImageBase {
 public:
  CWSIImageBase();
  virtual ~CWSIImageBase();
  CWSIImageBase(const CWSIImageBase&) = delete;
  CWSIImageBase& operator=(const CWSIImageBase&) = delete;

  uint16_t GetColumns() const;                  // tile width in pixels
  uint16_t GetRows() const;                     // tile height in pixels
  uint32_t GetTotalPixelMatrixColumns() const;  // level width in pixels
  uint32_t GetTotalPixelMatrixRows() const;     // level height in pixels
  uint16_t GetBitsStored() const;
  uint16_t GetBitsAllocated() const;
  uint16_t GetSamplesPerPixel() const;
  DicomInteropDefines::EWSITransferSyntaxes GetTransferSyntax() const;

  // Pixel Spacing of the level in millimetres (adjacent rows / adjacent columns); 0 when absent.
  double GetAdjacentRowPixelSpacing() const;
  double GetAdjacentColumnPixelSpacing() const;

  // Acquisition DateTime as a FILETIME count (100 ns since 1601-01-01, in UTC when the value or
  // Timezone Offset From UTC gives a zone, else as written); `zoneMinutes` = that UTC offset in
  // minutes (or -1000 when there is none);
  // `localZoneMinutes` = 0. WSI_E_NOT_FOUND when the slide has no acquisition time.
  long GetAcquisitionDateTime(uint64_t* fileTime, int32_t* zoneMinutes, int32_t* localZoneMinutes) const;
  long GetAcquisitionDuration(double* seconds) const;
  long GetManufacturer(std::u16string* value) const;
  long GetManufacturersModelName(std::u16string* value) const;
  long GetDeviceSerialNumber(std::u16string* value) const;
  long GetStudyInstanceUID(std::u16string* value) const;
  long GetSeriesInstanceUID(std::u16string* value) const;
  // Software Versions, one string per value; the array and each string are released with Free.
  long GetSoftwareVersions(char16_t*** versions, uint32_t* count) const;
  // True when the level was written with this project's private metadata block.
  bool IsOwn() const;

  // Objective Lens Power of optical path `index`; false when absent.
  bool GetObjectiveLensPower(uint32_t index, double* power) const;
  // Optical path description / identifier of channel `channel`; text released with Free.
  long GetOpticalPathDescription(uint32_t channel, char16_t** text, uint32_t* length) const;
  long GetOpticalPathIdentifier(uint32_t channel, char16_t** text, uint32_t* length) const;
  // Filter pass-through wavelengths in nm; 0 when absent.
  uint16_t GetLightPathFilterPassThroughWavelength(uint32_t channel) const;
  uint16_t GetImagePathFilterPassThroughWavelength(uint32_t channel) const;

 protected:
  std::shared_ptr<const dicominterop::LevelData> m_level;
};

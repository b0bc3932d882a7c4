// CWSIImageBase getters: answers from the opened level's representative dataset.
// Mapping: Columns/Rows (0028,0011/0010); Total Pixel Matrix Columns/Rows (0048,0006/0007);
// Pixel Spacing (0028,0030) of the shared functional groups; Acquisition DateTime (0008,002A)
// with Timezone Offset From UTC (0008,0201); Acquisition Duration (0018,9073); Manufacturer's
// Model Name (0008,1090); Device Serial Number (0018,1000); Software Versions (0018,1020).
#include "WSIImageBase.h"

#include <cstdlib>

#include "../dataset/TextConversion.h"
#include "../pyramid/LevelData.h"
#include "AcquisitionTime.h"

using namespace DicomInteropDefines;

namespace {

long CopyText(const std::string& text, std::u16string* out) {
  if (!out) return WSI_E_INVALIDARG;
  if (text.empty()) return WSI_E_NOT_FOUND;
  *out = dicominterop::ToUtf16(text);
  return WSI_OK;
}

long MallocText(const std::string& text, char16_t** out, uint32_t* length) {
  if (!out) return WSI_E_INVALIDARG;
  if (text.empty()) return WSI_E_NOT_FOUND;
  const std::u16string wide = dicominterop::ToUtf16(text);
  *out = dicominterop::MallocCopy(wide);
  if (!*out) return WSI_E_OUTOFMEMORY;
  if (length) *length = static_cast<uint32_t>(wide.size());
  return WSI_OK;
}

}  // namespace

CWSIImageBase::CWSIImageBase() = default;
CWSIImageBase::~CWSIImageBase() = default;

uint16_t CWSIImageBase::GetColumns() const { return m_level ? m_level->representative->columns : 0; }
uint16_t CWSIImageBase::GetRows() const { return m_level ? m_level->representative->rows : 0; }
uint32_t CWSIImageBase::GetTotalPixelMatrixColumns() const { return m_level ? m_level->representative->totalColumns : 0; }
uint32_t CWSIImageBase::GetTotalPixelMatrixRows() const { return m_level ? m_level->representative->totalRows : 0; }
uint16_t CWSIImageBase::GetBitsStored() const { return m_level ? m_level->representative->bitsStored : 0; }
uint16_t CWSIImageBase::GetBitsAllocated() const { return m_level ? m_level->representative->bitsAllocated : 0; }
uint16_t CWSIImageBase::GetSamplesPerPixel() const { return m_level ? m_level->representative->samplesPerPixel : 0; }

EWSITransferSyntaxes CWSIImageBase::GetTransferSyntax() const {
  return m_level ? m_level->representative->syntax : WSI_TS_OTHER;
}

double CWSIImageBase::GetAdjacentRowPixelSpacing() const { return m_level ? m_level->representative->rowSpacingMm : 0.0; }
double CWSIImageBase::GetAdjacentColumnPixelSpacing() const {
  return m_level ? m_level->representative->columnSpacingMm : 0.0;
}

long CWSIImageBase::GetAcquisitionDateTime(uint64_t* fileTime, int32_t* zoneMinutes, int32_t* localZoneMinutes) const {
  if (!fileTime || !zoneMinutes || !localZoneMinutes) return WSI_E_INVALIDARG;
  if (!m_level) return WSI_E_NOT_OPEN;
  const auto& info = *m_level->representative;
  const auto parsed = dicominterop::ParseDateTime(info.acquisitionDateTime, info.timezoneOffset);
  if (!parsed) return info.acquisitionDateTime.empty() ? WSI_E_NOT_FOUND : WSI_E_MALFORMED;
  *fileTime = parsed->fileTime;
  *zoneMinutes = parsed->zoneMinutes;
  *localZoneMinutes = 0;
  return WSI_OK;
}

long CWSIImageBase::GetAcquisitionDuration(double* seconds) const {
  if (!seconds) return WSI_E_INVALIDARG;
  if (!m_level) return WSI_E_NOT_OPEN;
  if (std::isnan(m_level->representative->acquisitionDuration)) return WSI_E_NOT_FOUND;
  *seconds = m_level->representative->acquisitionDuration;
  return WSI_OK;
}

long CWSIImageBase::GetManufacturer(std::u16string* value) const {
  return m_level ? CopyText(m_level->representative->manufacturer, value) : WSI_E_NOT_OPEN;
}
long CWSIImageBase::GetManufacturersModelName(std::u16string* value) const {
  return m_level ? CopyText(m_level->representative->modelName, value) : WSI_E_NOT_OPEN;
}
long CWSIImageBase::GetDeviceSerialNumber(std::u16string* value) const {
  return m_level ? CopyText(m_level->representative->deviceSerial, value) : WSI_E_NOT_OPEN;
}
long CWSIImageBase::GetStudyInstanceUID(std::u16string* value) const {
  return m_level ? CopyText(m_level->representative->studyUid, value) : WSI_E_NOT_OPEN;
}
long CWSIImageBase::GetSeriesInstanceUID(std::u16string* value) const {
  return m_level ? CopyText(m_level->representative->seriesUid, value) : WSI_E_NOT_OPEN;
}

long CWSIImageBase::GetSoftwareVersions(char16_t*** versions, uint32_t* count) const {
  if (!versions || !count) return WSI_E_INVALIDARG;
  if (!m_level) return WSI_E_NOT_OPEN;
  const auto& texts = m_level->representative->softwareVersions;
  if (texts.empty()) return WSI_E_NOT_FOUND;
  auto** list = static_cast<char16_t**>(std::calloc(texts.size(), sizeof(char16_t*)));
  if (!list) return WSI_E_OUTOFMEMORY;
  for (size_t i = 0; i < texts.size(); ++i) {
    list[i] = dicominterop::MallocCopy(dicominterop::ToUtf16(texts[i]));
    if (!list[i]) {
      for (size_t k = 0; k < i; ++k) std::free(list[k]);
      std::free(list);
      return WSI_E_OUTOFMEMORY;
    }
  }
  *versions = list;
  *count = static_cast<uint32_t>(texts.size());
  return WSI_OK;
}

bool CWSIImageBase::IsOwn() const { return m_level && !m_level->representative->privateBlock.empty(); }

bool CWSIImageBase::GetObjectiveLensPower(uint32_t index, double* power) const {
  if (!power || !m_level || index >= m_level->channels.size()) return false;
  const double value = m_level->channels[index].objectiveLensPower;
  if (std::isnan(value)) return false;
  *power = value;
  return true;
}

long CWSIImageBase::GetOpticalPathDescription(uint32_t channel, char16_t** text, uint32_t* length) const {
  if (!m_level) return WSI_E_NOT_OPEN;
  if (channel >= m_level->channels.size()) return WSI_E_INVALIDARG;
  return MallocText(m_level->channels[channel].description, text, length);
}

long CWSIImageBase::GetOpticalPathIdentifier(uint32_t channel, char16_t** text, uint32_t* length) const {
  if (!m_level) return WSI_E_NOT_OPEN;
  if (channel >= m_level->channels.size()) return WSI_E_INVALIDARG;
  return MallocText(m_level->channels[channel].identifier, text, length);
}

uint16_t CWSIImageBase::GetLightPathFilterPassThroughWavelength(uint32_t channel) const {
  return m_level && channel < m_level->channels.size() ? m_level->channels[channel].lightWavelength : 0;
}

uint16_t CWSIImageBase::GetImagePathFilterPassThroughWavelength(uint32_t channel) const {
  return m_level && channel < m_level->channels.size() ? m_level->channels[channel].imageWavelength : 0;
}

// Slide properties read from the current zoom image (level 0 after the opening walk): compression,
// geometry, pixel size, acquisition dates, scanner facts and identifiers.
// Called by GetSlideProperties with m_csSlide held; failures are reported where detected.
#include <algorithm>
#include <iterator>

#include <DicomInteropBase.h>

#include "DicomZorvelImpl.h"
#include "ModuleLog.h"
#include "Properties/PropertyValues.h"
#include "Properties/SlidePropertyRules.h"

namespace {

using namespace PropertyValues;

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr const char16_t* kGetProperties = u"CDicomZorvelImpl::GetSlideProperties";
constexpr int64_t kTicksPerMinute = 600'000'000;  // 100-ns file-time ticks
constexpr int32_t kLowestZoneMinutes = -840;      // UTC-14:00; anything lower means "no zone"

constexpr SeErrorReporter Report{kSource, kGetProperties};

HRESULT SetTextOf(long result, const std::u16string& text, VARIANT& value) {
  return result < 0 ? S_OK : SetText(value, text);
}

}  // namespace

// Tags answered from the current image; E_NOTIMPL for a tag that is not one of them.
HRESULT CDicomZorvelImpl::ReadImageProperty(LONG tag, VARIANT& value) {
  switch (tag) {
    case 301: case 302: case 354: return ReadLossiness(tag, value);
    case 303: return ReadCompressionType(value);
    case 308: case 309: return ReadPixelSize(tag == 308, value);
    case 312: case 373: return ReadScanningDate(tag == 373, value);
    case 320: case 40000: return ReadSlideType(value);
    case 353: return ReadSoftwareVersion(value);
    case 1008: return ReadStudyUid(value);
    default: break;
  }
  return ReadImageFacts(tag, value);
}

// Plain facts of the current image; without one, 326 and 397 are EMPTY and the others E_FAIL.
HRESULT CDicomZorvelImpl::ReadImageFacts(LONG tag, VARIANT& value) {
  static constexpr LONG kImageFactTags[] = {306, 307, 313, 321, 323, 326, 330, 351, 352, 397};
  if (std::find(std::begin(kImageFactTags), std::end(kImageFactTags), tag) == std::end(kImageFactTags)) {
    return E_NOTIMPL;
  }
  const CWSIZoomImage* image = m_pCurrentZoomImage;
  if (image == nullptr) return tag == 326 || tag == 397 ? S_OK : Report(1559, E_FAIL);
  std::u16string text;
  switch (tag) {
    case 306: SetI4(value, static_cast<int32_t>(image->GetTotalPixelMatrixColumns())); return S_OK;
    case 307: SetI4(value, static_cast<int32_t>(image->GetTotalPixelMatrixRows())); return S_OK;
    case 313: SetI4(value, static_cast<int32_t>(image->GetChannelCount())); return S_OK;
    case 330: SetI4(value, static_cast<int32_t>(image->GetZStackCount())); return S_OK;
    case 321: {
      double power = 0;
      if (!image->GetObjectiveLensPower(0, &power)) return S_OK;
      return SetText(value, SlidePropertyRules::ShortestDecimalText(power));
    }
    case 323: {
      double seconds = 0;
      if (image->GetAcquisitionDuration(&seconds) >= 0) SetR8(value, seconds);
      return S_OK;
    }
    case 326: {
      const auto size = SlidePropertyRules::RoiSizeInTiles(image->GetTotalPixelMatrixColumns(),
                                                           image->GetTotalPixelMatrixRows(), image->GetColumns(),
                                                           image->GetRows());
      if (size) SetI4(value, *size);
      return S_OK;
    }
    case 351: return SetTextOf(image->GetManufacturersModelName(&text), text, value);
    case 352: return SetTextOf(image->GetDeviceSerialNumber(&text), text, value);
    case 397: SetI4(value, image->GetColumns() * 65536 + image->GetRows()); return S_OK;
    default: return E_NOTIMPL;
  }
}

HRESULT CDicomZorvelImpl::ReadLossiness(LONG tag, VARIANT& value) {
  if (m_pCurrentZoomImage == nullptr) return Report(tag == 301 ? 818 : 869, E_FAIL);
  const long syntax = m_pCurrentZoomImage->GetTransferSyntax();
  const auto answer = tag == 301 ? SlidePropertyRules::IsCompressed(syntax) : SlidePropertyRules::IsLossy(syntax);
  if (!answer) return Report(tag == 301 ? 818 : 869, E_INVALIDARG);
  if (tag == 302) return SetText(value, *answer ? u"LOSSY" : u"LOSSYLESS");
  SetBool(value, tag == 354 ? !*answer : *answer);
  return S_OK;
}

HRESULT CDicomZorvelImpl::ReadCompressionType(VARIANT& value) {
  if (m_pCurrentZoomImage == nullptr) return Report(875, E_FAIL);
  const char16_t* name = SlidePropertyRules::CompressionTypeName(m_pCurrentZoomImage->GetTransferSyntax());
  if (name == nullptr) {
    Report(757, E_INVALIDARG, u"CDicomZorvelImpl::GetCompressionType");
    return Report(875, E_INVALIDARG);
  }
  return SetText(value, name);
}

// Micrometres per pixel; a level without a spacing borrows the spacing of the smallest level that
// opens from 9 down, scaled back to level 0.
HRESULT CDicomZorvelImpl::ReadPixelSize(bool width, VARIANT& value) {
  if (m_pCurrentZoomImage == nullptr) return Report(width ? 902 : 915, E_FAIL);
  const auto spacingOf = [width](const CWSIZoomImage& image) {
    return width ? image.GetAdjacentColumnPixelSpacing() : image.GetAdjacentRowPixelSpacing();
  };
  double spacing = spacingOf(*m_pCurrentZoomImage);
  if (spacing == 0.0) {
    long levelDifference = 0;
    const HRESULT hr = TryOpenExtendedAndNormalSmallestZoomlevelFound(9, levelDifference);
    if (FAILED(hr)) return Report(width ? 902 : 915, hr);
    const long level = 9 - levelDifference;
    spacing = spacingOf(*m_pCurrentZoomImage) / static_cast<double>(1L << level);
  }
  SetR8(value, spacing * 1000.0);
  return S_OK;
}

// The library gives the acquisition instant in UTC, the zone it was written in (a) and a local
// zone (b) that the date is meant for. 312: the instant moved by a - b, i.e. the time as the
// scanner wrote it; a zone below UTC-14:00 means "none" and counts as 0. 373: the instant moved by
// -b, i.e. UTC; EMPTY without a zone. Neither depends on the zone of the reading machine.
HRESULT CDicomZorvelImpl::ReadScanningDate(bool utc, VARIANT& value) {
  if (m_pCurrentZoomImage == nullptr) return Report(utc ? 977 : 950, E_FAIL);
  uint64_t fileTime = 0;
  int32_t zone = 0, localZone = 0;
  if (m_pCurrentZoomImage->GetAcquisitionDateTime(&fileTime, &zone, &localZone) < 0) return S_OK;
  const bool hasZone = zone >= kLowestZoneMinutes;
  if (utc && !hasZone) return S_OK;
  const int64_t shiftMinutes = utc ? -int64_t{localZone} : int64_t{hasZone ? zone : 0} - localZone;
  DATE date = 0;
  const HRESULT hr =
      SlidePropertyRules::FileTimeToDate(static_cast<int64_t>(fileTime) + shiftMinutes * kTicksPerMinute, date);
  if (FAILED(hr)) return Report(utc ? 977 : 950, hr);
  value.vt = VT_DATE;
  value.date = date;
  return S_OK;
}

HRESULT CDicomZorvelImpl::ReadSlideType(VARIANT& value) {
  if (m_pCurrentZoomImage == nullptr) return Report(1035, E_FAIL);
  SetI4(value, m_pCurrentZoomImage->IsUnmixedBrightfield() ? 1 : 2);
  return S_OK;
}

HRESULT CDicomZorvelImpl::ReadSoftwareVersion(VARIANT& value) {
  if (m_pCurrentZoomImage == nullptr || !m_pCurrentZoomImage->IsOwn()) return Report(1105, E_INVALIDARG);
  char16_t** versions = nullptr;
  uint32_t count = 0;
  const long result = m_pCurrentZoomImage->GetSoftwareVersions(&versions, &count);
  if (result < 0) return Report(1081, static_cast<HRESULT>(result));
  HRESULT hr = S_OK;
  if (count == 3 || count == 4) {
    double version = 0;
    const std::u16string_view first = versions[0] != nullptr ? versions[0] : u"";
    hr = SlidePropertyRules::ParseSoftwareVersion(first, version);
    if (SUCCEEDED(hr)) SetR8(value, version);
    else Report(1091, hr);
  }
  for (uint32_t i = 0; i < count; ++i) CDicomInteropBase::Free(versions[i]);
  CDicomInteropBase::Free(versions);
  return hr;
}

HRESULT CDicomZorvelImpl::ReadStudyUid(VARIANT& value) {
  if (m_pCurrentZoomImage == nullptr) return Report(1278, E_FAIL);
  std::u16string uid;
  const long result = m_pCurrentZoomImage->GetStudyInstanceUID(&uid);
  if (result < 0) return Report(1281, static_cast<HRESULT>(result));
  return SetText(value, uid);
}

// Slide properties read from the current zoom image (level 0 after the opening walk): compression,
// geometry, pixel size, acquisition dates, scanner facts and identifiers.
// Called by GetSlideProperties with m_csSlide held; failures are reported where detected.
#include <DicomInteropBase.h>

#include "DicomZorvelImpl.h"
#include "ModuleLog.h"
#include "Properties/PropertyValues.h"
#include "Properties/SlidePropertyRules.h"
#include "Properties/SlidePropertyTags.h"
#include "Properties/SlideTagTable.h"

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

// Readers of the tags answered from the current image.
void CDicomZorvelImpl::AddImageReaders(SlideTagTable& table) {
  using namespace SlideTag;
  using Self = CDicomZorvelImpl;
  for (LONG tag : {kCompressed, kCompressionMode, kIsLossless}) {
    table.Add(tag, [](Self& s, LONG t, VARIANT& v) { return s.ReadLossiness(t, v); });
  }
  table.Add(kCompressionType, [](Self& s, LONG, VARIANT& v) { return s.ReadCompressionType(v); });
  table.Add(kPixelWidth, [](Self& s, LONG, VARIANT& v) { return s.ReadPixelSize(true, v); });
  table.Add(kPixelHeight, [](Self& s, LONG, VARIANT& v) { return s.ReadPixelSize(false, v); });
  table.Add(kScanningDate, [](Self& s, LONG, VARIANT& v) { return s.ReadScanningDate(false, v); });
  table.Add(kScanningDateUtc, [](Self& s, LONG, VARIANT& v) { return s.ReadScanningDate(true, v); });
  table.Add(kSlideType, [](Self& s, LONG, VARIANT& v) { return s.ReadSlideType(v); });
  table.Add(kSlideTypeAgain, [](Self& s, LONG, VARIANT& v) { return s.ReadSlideType(v); });
  table.Add(kScannerSoftwareVersion, [](Self& s, LONG, VARIANT& v) { return s.ReadSoftwareVersion(v); });
  table.Add(kStudyUid, [](Self& s, LONG, VARIANT& v) { return s.ReadStudyUid(v); });
  for (LONG tag : {kWidthInPixels, kHeightInPixels, kChannelCount, kObjectiveMagnification, kScanningTime, kRoiSize,
                   kZStackCount, kScannerHardwareVersion, kScannerHardwareId, kRawTileSize}) {
    table.Add(tag, [](Self& s, LONG t, VARIANT& v) { return s.ReadImageFacts(t, v); });
  }
}

// Plain facts of the current image; without one, the ROI and raw tile sizes are EMPTY and the
// others E_FAIL.
HRESULT CDicomZorvelImpl::ReadImageFacts(LONG tag, VARIANT& value) {
  using namespace SlideTag;
  const CWSIZoomImage* image = m_pCurrentZoomImage;
  if (image == nullptr) return tag == kRoiSize || tag == kRawTileSize ? S_OK : Report(1559, E_FAIL);
  std::u16string text;
  switch (tag) {
    case kWidthInPixels: SetI4(value, static_cast<int32_t>(image->GetTotalPixelMatrixColumns())); return S_OK;
    case kHeightInPixels: SetI4(value, static_cast<int32_t>(image->GetTotalPixelMatrixRows())); return S_OK;
    case kChannelCount: SetI4(value, static_cast<int32_t>(image->GetChannelCount())); return S_OK;
    case kZStackCount: SetI4(value, static_cast<int32_t>(image->GetZStackCount())); return S_OK;
    case kObjectiveMagnification: {
      double power = 0;
      if (!image->GetObjectiveLensPower(0, &power)) return S_OK;
      return SetText(value, SlidePropertyRules::ShortestDecimalText(power));
    }
    case kScanningTime: {
      double seconds = 0;
      if (image->GetAcquisitionDuration(&seconds) >= 0) SetR8(value, seconds);
      return S_OK;
    }
    case kRoiSize: {
      const auto size = SlidePropertyRules::RoiSizeInTiles(image->GetTotalPixelMatrixColumns(),
                                                           image->GetTotalPixelMatrixRows(), image->GetColumns(),
                                                           image->GetRows());
      if (size) SetI4(value, *size);
      return S_OK;
    }
    case kScannerHardwareVersion: return SetTextOf(image->GetManufacturersModelName(&text), text, value);
    case kScannerHardwareId: return SetTextOf(image->GetDeviceSerialNumber(&text), text, value);
    case kRawTileSize: SetI4(value, image->GetColumns() * 65536 + image->GetRows()); return S_OK;
    default: return Report(1559, E_INVALIDARG);
  }
}

HRESULT CDicomZorvelImpl::ReadLossiness(LONG tag, VARIANT& value) {
  if (m_pCurrentZoomImage == nullptr) return Report(tag == SlideTag::kCompressed ? 818 : 869, E_FAIL);
  const long syntax = m_pCurrentZoomImage->GetTransferSyntax();
  const auto answer = tag == SlideTag::kCompressed ? SlidePropertyRules::IsCompressed(syntax) : SlidePropertyRules::IsLossy(syntax);
  if (!answer) return Report(tag == SlideTag::kCompressed ? 818 : 869, E_INVALIDARG);
  if (tag == SlideTag::kCompressionMode) return SetText(value, *answer ? u"LOSSY" : u"LOSSYLESS");
  SetBool(value, tag == SlideTag::kIsLossless ? !*answer : *answer);
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

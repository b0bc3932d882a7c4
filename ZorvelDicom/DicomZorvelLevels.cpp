// Zoom levels opened on demand (normal or extended focus), the level walks, the slide-wide data
// computed from the opened level (tile geometry, z-stack, focus levels) and InitSlideData.
// Every method here runs under m_csSlide; the slide library's stop code ends every walk at once.
#include <new>
#include <vector>

#include "DicomZorvelImpl.h"
#include "HugeCache/CacheBudgets.h"
#include "ModuleLog.h"
#include "OpenSlideCounters.h"
#include "ProcessSettings.h"
#include "Pipeline/SourceAgentHolder.h"
#include "Slide/FocusPlanes.h"

namespace {

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr const char16_t* kOpenNative = u"CDicomZorvelImpl::OpenNativeZoomImgs";
constexpr HRESULT kStopCode = ZoomLevelWalks::kStopCode;
constexpr long kReferenceLevel = 9;

constexpr SeErrorReporter Report{kSource};

// The scan-map ROI offset in tiles: pixels shifted right by 8 as a signed number (floor division);
// 0 when the metadata do not give it.
LONG RoiOffsetInTiles(long (CCommonWSIMetadata::*getter)(uint32_t*) const, const CCommonWSIMetadata& metadata) {
  uint32_t pixels = 0;
  (metadata.*getter)(&pixels);
  return static_cast<int32_t>(pixels) >> 8;
}

}  // namespace

HRESULT CDicomZorvelImpl::OpenNativeZoomImgs(long level, bool extended) {
  std::lock_guard slide(m_csSlide);
  const HRESULT hr = OpenZoomImage(level, extended);
  if (hr == S_OK) {
    m_readyZoomLevels.emplace(level, extended);
  } else {
    m_readyZoomLevels.erase({level, extended});
  }
  return hr;
}

HRESULT CDicomZorvelImpl::OpenZoomImage(long level, bool extended) {
  try {
    if (m_failedZoomLevels.count(level) != 0) return E_FAIL;
    if (level == kReferenceLevel && m_bSlideDataInitialised && m_normalZoomImages.count(level) != 0 &&
        (!extended || m_extendedZoomImages.count(level) != 0)) {
      m_pCurrentZoomImage = (extended ? m_extendedZoomImages : m_normalZoomImages)[level].get();
      return S_OK;
    }
    // Callers bind the source first; one that did not gets it bound here.
    HRESULT hr = CreateDicomSource();
    if (FAILED(hr)) return hr;
    bool extendedFocus = false;
    const long result = m_spDirectorySource->IsExtendedFocus(&extendedFocus);
    if (result != 0) return Report(155, static_cast<HRESULT>(result), kOpenNative);
    m_bExtendedFocus = extendedFocus;
    hr = extended ? OpenExtendedZoomImage(level) : OpenNormalZoomImage(level);
    if (hr != S_OK) return hr;
    return ComputeSlideWideData(level, extended);
  } catch (...) {
    return Report(281, E_FAIL, kOpenNative);
  }
}

HRESULT CDicomZorvelImpl::OpenExtendedZoomImage(long level) {
  if (!m_bExtendedFocus) return Report(158, E_FAIL, kOpenNative);
  if (auto it = m_extendedZoomImages.find(level); it != m_extendedZoomImages.end()) {
    m_pCurrentZoomImage = it->second.get();
    return S_OK;
  }
  return OpenZoomImageInto(m_extendedZoomImages, level, true);
}

HRESULT CDicomZorvelImpl::OpenNormalZoomImage(long level) {
  if (auto it = m_normalZoomImages.find(level); it != m_normalZoomImages.end()) {
    m_pCurrentZoomImage = it->second.get();
    return S_OK;
  }
  return OpenZoomImageInto(m_normalZoomImages, level, false);
}

long CDicomZorvelImpl::OpenLibraryZoomLevel(CWSIZoomImage& image, bool extended, long level) {
  return image.OpenZoomLevel(m_spDirectorySource.get(), extended, level, true);
}

// A level enters its table once opened, so no other call ever sees a half-opened image. One that
// fails to open leaves no entry; one whose opening threw is never tried again.
HRESULT CDicomZorvelImpl::OpenZoomImageInto(ZoomImageTable& images, long level, bool extended) {
  auto image = std::make_shared<CWSIZoomImage>();
  long result = 0;
  try {
    Pipeline::SourceAgentHolder::OpeningInProgress opening;
    result = OpenLibraryZoomLevel(*image, extended, level);
  } catch (...) {
    if (!extended) m_failedZoomLevels.insert(level);
    return Report(extended ? 182 : 219, E_FAIL, kOpenNative);
  }
  if (result < 0) {
    if (result == kStopCode) Report(extended ? 171 : 200, kStopCode, kOpenNative);
    return static_cast<HRESULT>(result);
  }
  if (!extended) m_bNormalLevelOpened = true;
  m_pCurrentZoomImage = image.get();
  images[level] = std::move(image);
  return S_OK;
}

// Levels 0 and 9, and every level while the slide has no z-stack, refresh the tile geometry and z
// data; the first opening of a slide also runs InitSlideData.
HRESULT CDicomZorvelImpl::ComputeSlideWideData(long level, bool extended) {
  if (m_bSlideInitialised && level != 0 && level != kReferenceLevel &&
      (m_zStackCount != 0 || !m_bNormalLevelOpened)) {
    return S_OK;
  }
  m_bSlideDataInitialised = true;
  if (m_pCurrentZoomImage == nullptr) {
    auto& images = m_normalZoomImages.empty() ? m_extendedZoomImages : m_normalZoomImages;
    auto it = images.find(kReferenceLevel);
    if (it == images.end()) return Report(281, E_FAIL, kOpenNative);
    m_pCurrentZoomImage = it->second.get();
  }
  m_tileWidth = m_pCurrentZoomImage->GetColumns();
  m_tileHeight = m_pCurrentZoomImage->GetRows();
  m_bitsStored = m_pCurrentZoomImage->GetBitsStored();
  m_samplesPerPixel = m_pCurrentZoomImage->GetSamplesPerPixel();
  m_channelCount = m_pCurrentZoomImage->GetChannelCount();
  if (m_bNormalLevelOpened && !extended) {
    const HRESULT hr = ComputeZStackData();
    if (FAILED(hr)) return hr;
  }
  if (m_bSlideInitialised) return S_OK;
  const HRESULT hr = InitSlideData();
  if (FAILED(hr)) return Report(273, hr, kOpenNative);
  return S_OK;
}

HRESULT CDicomZorvelImpl::ComputeZStackData() {
  const ULONG planeCount = m_normalZoomImages.empty() ? 0 : m_pCurrentZoomImage->GetZStackCount();
  m_zStackCount = planeCount;
  const FocusPlanes::ZStackLayout layout{planeCount, m_bExtendedFocus, !m_normalZoomImages.empty()};
  const std::vector<double> zCoordinates = m_pCurrentZoomImage->GetZStackCoords();
  std::map<long, double> offsets;
  if (FAILED(FocusPlanes::ComputeFocusLevelOffsets(layout, zCoordinates, 0, offsets))) {
    return Report(250, E_INVALIDARG, kOpenNative);
  }
  long firstLevel = 0;
  HRESULT hr = CalculateZStackFirstLevel(firstLevel);
  if (FAILED(hr)) return Report(259, hr, kOpenNative);
  hr = CalculateZeroFocusLevel(m_zeroFocusLevel);
  if (FAILED(hr)) return Report(260, hr, kOpenNative);
  FocusPlanes::ComputeFocusLevelOffsets(layout, zCoordinates, firstLevel, m_focusLevelOffsets);
  return S_OK;
}

HRESULT CDicomZorvelImpl::CalculateZeroFocusLevel(ULONG& zeroFocusLevel) {
  if (m_pCurrentZoomImage == nullptr) return Report(691, E_FAIL, u"CDicomZorvelImpl::CalculateZeroFocusLevel");
  zeroFocusLevel = static_cast<ULONG>(FocusPlanes::ZeroFocusLevel(m_pCurrentZoomImage->GetZStackCount(), m_bExtendedFocus));
  return S_OK;
}

HRESULT CDicomZorvelImpl::CalculateZStackFirstLevel(long& firstLevel) {
  ULONG zeroFocusLevel = 0;
  const HRESULT hr = CalculateZeroFocusLevel(zeroFocusLevel);
  if (FAILED(hr)) return Report(717, hr, u"CDicomZorvelImpl::CalculateZStackFirstLevel");
  firstLevel = FocusPlanes::ZStackFirstLevel(m_pCurrentZoomImage->GetZStackCount(), m_bExtendedFocus);
  return S_OK;
}

// Runs once per opened slide: decoder, cache budgets and clients, slide id, metadata. The decoder
// it makes first marks the slide initialised, so a later failure is reported by this opening only
// and later openings do not run it again.
HRESULT CDicomZorvelImpl::InitSlideData() {
  const long transferSyntax = m_pCurrentZoomImage->GetTransferSyntax();
  m_pDecoder = std::make_shared<DicomGeneralUtils::CDicomImageDecoder>(transferSyntax);
  m_bSlideInitialised = true;
  m_bTiledFull = m_pCurrentZoomImage->IsTiledFull();
  const CacheSettings cache = ProcessSettings::Instance().Cache();
  ULONGLONG decodedBudget = 0, encodedBudget = 0;
  HugeCache::ComputeCacheBudgets(decodedBudget, encodedBudget, !OpenSlideCounters::IsLosslessTransferSyntax(transferSyntax),
                                 cache.divisor, cache.decodedMultiplier, cache.encodedMultiplier, cache.share,
                                 cache.threshold, cache.cap);
  CountSlideAsOpen();
  HRESULT hr = ComputeTileStride(m_pCurrentZoomImage->IsUnmixedBrightfield());
  if (FAILED(hr)) return hr;
  // A new pair: requests of the slide opened before keep filing under that slide's number.
  auto caches = HugeCache::SlideCacheClients::Make();
  caches->encoded.Register(m_strSlidePath);
  HugeCache::EncodedTileCache::SetBudget(encodedBudget);
  hr = caches->decoded.Init(m_strSlidePath, static_cast<ULONGLONG>(m_tileHeight) * static_cast<ULONGLONG>(m_tileStride),
                            decodedBudget);
  if (FAILED(hr)) return Report(319, hr, u"CDicomZorvelImpl::InitSlideData");
  m_caches = std::move(caches);
  HugeCache::SetLastAvailableMemory(HugeCache::GetAvailableCacheMemory());
  m_metadata = m_spDirectorySource->GetKSLFProprietaryProperties();
  m_roiOffsetTilesX = RoiOffsetInTiles(&CCommonWSIMetadata::GetOriginalScanmapROIOffsetXPixels, m_metadata);
  m_roiOffsetTilesY = RoiOffsetInTiles(&CCommonWSIMetadata::GetOriginalScanmapROIOffsetYPixels, m_metadata);
  return S_OK;
}

// The image-type code of decoded tiles: colour brightfield or per-channel samples, 8 or 16 bits.
static LONG OutputImageType(bool brightfield, bool highBitDepth, USHORT bitsStored) {
  using KLVImageLayout::ImageType;
  if (brightfield) return static_cast<LONG>(highBitDepth && bitsStored > 8 ? ImageType::Colour16 : ImageType::Colour8);
  return static_cast<LONG>(highBitDepth && bitsStored >= 9 ? ImageType::Fluorescence16 : ImageType::Fluorescence8);
}

// The line length of decoded tiles in the output format.
HRESULT CDicomZorvelImpl::ComputeTileStride(bool brightfield) {
  const LONG outputType = OutputImageType(brightfield, m_bHighBitDepthOutput, m_bitsStored);
  const HRESULT hr =
      DicomGeneralUtils::CDicomImageDecoder::GetImageParams(m_samplesPerPixel, m_tileWidth, outputType, m_tileStride);
  if (FAILED(hr)) return Report(317, hr, u"CDicomZorvelImpl::InitSlideData");
  return S_OK;
}

void CDicomZorvelImpl::CountSlideAsOpen() {
  const bool lossless = OpenSlideCounters::IsLosslessTransferSyntax(m_pCurrentZoomImage->GetTransferSyntax());
  UncountSlide();
  OpenSlideCounters::Instance().Add(lossless);
  m_countedAs = lossless ? SlideCount::Lossless : SlideCount::Lossy;
}

void CDicomZorvelImpl::UncountSlide() {
  std::lock_guard slide(m_csSlide);
  if (m_countedAs == SlideCount::None) return;
  // When the last lossy slide goes while lossless ones stay, the budgets get the lossless shift.
  if (OpenSlideCounters::Instance().Remove(m_countedAs == SlideCount::Lossless)) HugeCache::RecomputeCacheBudgets();
  m_countedAs = SlideCount::None;
}

HRESULT CDicomZorvelImpl::TryOpenZoomlevelFound(long level, bool extended) {
  return ZoomLevelWalks::TryOpenZoomlevelFound(*this, level, extended);
}

HRESULT CDicomZorvelImpl::TryOpenSmallestZoomlevelFound(long level, bool extended, long& levelDifference) {
  return ZoomLevelWalks::TryOpenSmallestZoomlevelFound(*this, level, extended, levelDifference);
}

HRESULT CDicomZorvelImpl::TryOpenNormalOrExtendedSmallestZoomlevelFound(long level) {
  return ZoomLevelWalks::TryOpenNormalOrExtendedSmallestZoomlevelFound(*this, level);
}

HRESULT CDicomZorvelImpl::TryOpenExtendedAndNormalSmallestZoomlevelFound(long level, long& levelDifference) {
  return ZoomLevelWalks::TryOpenExtendedAndNormalSmallestZoomlevelFound(*this, level, levelDifference);
}

HRESULT CDicomZorvelImpl::GetAndOpenSmallestZoomlevelFound(long level, bool extended, long& levelDifference,
                                                           std::shared_ptr<const CWSIZoomImage>& image) {
  constexpr const char16_t* kFunction = u"CDicomZorvelImpl::GetAndOpenSmallestZoomlevelFound";
  std::lock_guard slide(m_csSlide);
  const HRESULT hr = TryOpenSmallestZoomlevelFound(level, extended, levelDifference);
  if (hr == kStopCode) return Report(424, hr, kFunction);
  if (FAILED(hr)) return hr;
  auto& images = extended ? m_extendedZoomImages : m_normalZoomImages;
  auto it = images.find(level - levelDifference);
  if (it == images.end()) return Report(extended ? 431 : 441, E_FAIL, kFunction);
  image = it->second;
  return S_OK;
}

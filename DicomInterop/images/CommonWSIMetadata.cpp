// Getters of CCommonWSIMetadata and CKSLFProprietaryChannelData: each looks its key up in the
// values the library filled (standard attributes first, private block second) and converts it.
#include "CommonWSIMetadata.h"

#include <cmath>
#include <limits>

#include "DicomInteropDefines.h"
#include "../dataset/TextConversion.h"

namespace {

using namespace DicomInteropDefines;

const std::string* Find(const std::map<std::string, std::string>& values, const char* key) {
  auto it = values.find(key);
  return it == values.end() ? nullptr : &it->second;
}

// Integers: the number rounded; outside the type's range (or not finite) is malformed.
template <class Integer>
long Get(const std::map<std::string, std::string>& values, const char* key, Integer* out) {
  if (!out) return WSI_E_INVALIDARG;
  const std::string* text = Find(values, key);
  if (!text) return WSI_E_NOT_FOUND;
  const auto number = dicominterop::ParseNumber(*text);
  constexpr double kLowest = std::numeric_limits<Integer>::lowest(), kHighest = std::numeric_limits<Integer>::max();
  if (!number || !(*number >= kLowest && *number <= kHighest)) return WSI_E_MALFORMED;
  *out = static_cast<Integer>(std::lround(*number));
  return WSI_OK;
}

long Get(const std::map<std::string, std::string>& values, const char* key, double* out) {
  if (!out) return WSI_E_INVALIDARG;
  const std::string* text = Find(values, key);
  if (!text) return WSI_E_NOT_FOUND;
  const auto number = dicominterop::ParseNumber(*text);
  if (!number) return WSI_E_MALFORMED;
  *out = *number;
  return WSI_OK;
}

long Get(const std::map<std::string, std::string>& values, const char* key, std::u16string* out) {
  if (!out) return WSI_E_INVALIDARG;
  const std::string* text = Find(values, key);
  if (!text) return WSI_E_NOT_FOUND;
  *out = dicominterop::ToUtf16(*text);
  return WSI_OK;
}

}  // namespace

#define ZORVEL_METADATA_GETTER(Class, Name, Type) \
  long Class::Get##Name(Type* value) const { return Get(m_values, #Name, value); }

#define CHANNEL_GETTER(Name, Type) ZORVEL_METADATA_GETTER(CKSLFProprietaryChannelData, Name, Type)
CHANNEL_GETTER(ExposureTime, int32_t)
CHANNEL_GETTER(DigitalGain, int32_t)
CHANNEL_GETTER(ExtendedStepSize, int32_t)
CHANNEL_GETTER(ExtendedStepCount, int32_t)
CHANNEL_GETTER(ExcitationBandwidth, int32_t)
CHANNEL_GETTER(EmissionBandwidth, int32_t)
CHANNEL_GETTER(ZStackStepCount, int32_t)
CHANNEL_GETTER(FirstZStackLevel, int32_t)
CHANNEL_GETTER(ExposurePercentage, int32_t)
CHANNEL_GETTER(ExcitationPercentage, int32_t)
CHANNEL_GETTER(FilterRealPosition, int32_t)
CHANNEL_GETTER(IsMasterFilter, int32_t)
CHANNEL_GETTER(StoringChannelNumber, int32_t)
CHANNEL_GETTER(Threshold, int32_t)
CHANNEL_GETTER(ZDiff, double)
CHANNEL_GETTER(ConfocalGain, double)
CHANNEL_GETTER(RatioOfFovsContainingSample, double)
CHANNEL_GETTER(AverageOfFocusQualityWithinNonemptyFovs, double)
CHANNEL_GETTER(AverageOfFocusQualityWithinWholeSlide, double)
CHANNEL_GETTER(XDiff, double)
CHANNEL_GETTER(YDiff, double)
CHANNEL_GETTER(Name, std::u16string)
CHANNEL_GETTER(Active, std::u16string)
CHANNEL_GETTER(Modify, std::u16string)

#define SLIDE_GETTER(Name, Type) ZORVEL_METADATA_GETTER(CCommonWSIMetadata, Name, Type)
SLIDE_GETTER(CompressionFactor, int32_t)
SLIDE_GETTER(ScannedFOVCount, int32_t)
SLIDE_GETTER(DiskPosition, int32_t)
SLIDE_GETTER(FocusLimitLO, int32_t)
SLIDE_GETTER(FocusLimitUP, int32_t)
SLIDE_GETTER(IccProfileColorScheme, int32_t)
SLIDE_GETTER(IccProfileWhitePoint, int32_t)
SLIDE_GETTER(IccProfileGamma, int32_t)
SLIDE_GETTER(CameraRealBitDepth, int32_t)
SLIDE_GETTER(OriginalCompressionType, int32_t)
SLIDE_GETTER(OriginalCompressionFactor, int32_t)
SLIDE_GETTER(Sqrt2Resized, int32_t)
SLIDE_GETTER(GammaApplied, int32_t)
SLIDE_GETTER(SlidePositionX, int32_t)
SLIDE_GETTER(SlidePositionY, int32_t)
SLIDE_GETTER(FluorSlideIndividuallyExpTime, int32_t)
SLIDE_GETTER(FluorSlideScanningAlgorithm, int32_t)
SLIDE_GETTER(FluorSlideFocusPlaneFindingStep, int32_t)
SLIDE_GETTER(FluorSlideFocusmapCreatingStep, int32_t)
SLIDE_GETTER(FluorSlideMaximumExposureTime, int32_t)
SLIDE_GETTER(FluorSlideFocusingType, int32_t)
SLIDE_GETTER(CameraImageDivisionsPerSide, int32_t)
SLIDE_GETTER(ObjectguideMaxHysteresisX, int32_t)
SLIDE_GETTER(ObjectguideMaxHysteresisY, int32_t)
SLIDE_GETTER(WholeSlidePreviewRoiLeft, int32_t)
SLIDE_GETTER(WholeSlidePreviewRoiTop, int32_t)
SLIDE_GETTER(WholeSlidePreviewRoiRight, int32_t)
SLIDE_GETTER(WholeSlidePreviewRoiBottom, int32_t)
SLIDE_GETTER(WholeSlideBarcodeRoiLeft, int32_t)
SLIDE_GETTER(WholeSlideBarcodeRoiTop, int32_t)
SLIDE_GETTER(WholeSlideBarcodeRoiRight, int32_t)
SLIDE_GETTER(WholeSlideBarcodeRoiBottom, int32_t)
SLIDE_GETTER(OriginalScanmapROIOffsetXPixels, uint32_t)
SLIDE_GETTER(OriginalScanmapROIOffsetYPixels, uint32_t)
SLIDE_GETTER(OriginalScanmapWidthPixels, uint32_t)
SLIDE_GETTER(OriginalScanmapHeightPixels, uint32_t)
SLIDE_GETTER(GammaValue, double)
SLIDE_GETTER(CameraRotation, double)
SLIDE_GETTER(PhysicalMagnify, std::u16string)
SLIDE_GETTER(AdapterSize, std::u16string)
SLIDE_GETTER(OptovarSize, std::u16string)
SLIDE_GETTER(CameraType, std::u16string)
SLIDE_GETTER(ObjectiveName, std::u16string)
SLIDE_GETTER(SlideOriginalSource, std::u16string)
SLIDE_GETTER(FluorSlideMultispectralScanning, std::u16string)
SLIDE_GETTER(FocusMap, std::u16string)
SLIDE_GETTER(FocusLimit, std::u16string)
SLIDE_GETTER(FlatFieldCorrection, std::u16string)
SLIDE_GETTER(CompensationAlg, std::u16string)
SLIDE_GETTER(ExtendedFocusAlg, std::u16string)
SLIDE_GETTER(SlideIsConfocal, std::u16string)
SLIDE_GETTER(BarcodeAnonymized, std::u16string)
SLIDE_GETTER(SlideIsDoubleWide, std::u16string)
SLIDE_GETTER(Sharpened, std::u16string)
SLIDE_GETTER(FluorSlideDoNotScanEmptyFovs, std::u16string)
SLIDE_GETTER(SlideContent, std::u16string)
SLIDE_GETTER(TmaCoreFindingStat, std::u16string)
SLIDE_GETTER(ScannerCameraType, std::u16string)
SLIDE_GETTER(Barcode, std::u16string)
SLIDE_GETTER(LabelText, std::u16string)

long CCommonWSIMetadata::GetChannelData(int32_t channel, CKSLFProprietaryChannelData* record) const {
  if (!record || channel < 0 || static_cast<size_t>(channel) >= m_channels.size()) return WSI_E_INVALIDARG;
  *record = m_channels[static_cast<size_t>(channel)];
  return WSI_OK;
}

// Slide-wide scanner metadata (CCommonWSIMetadata) and per-channel records (CKSLFProprietaryChannelData).
// Each getter answers from the standard DICOM attribute that carries the value, else from the
// private metadata block (0029,xx10) of the slide's instances, else fails with WSI_E_NOT_FOUND.
// Getters return 0 on success; a null out pointer gives WSI_E_INVALIDARG. Copyable values, no I/O.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "DicomInteropApi.h"

class DICOMINTEROP_API CKSLFProprietaryChannelData {
 public:
  long GetExposureTime(int32_t* value) const;
  long GetDigitalGain(int32_t* value) const;
  long GetExtendedStepSize(int32_t* value) const;
  long GetExtendedStepCount(int32_t* value) const;
  long GetExcitationBandwidth(int32_t* value) const;
  long GetEmissionBandwidth(int32_t* value) const;
  long GetZStackStepCount(int32_t* value) const;
  long GetFirstZStackLevel(int32_t* value) const;
  long GetExposurePercentage(int32_t* value) const;
  long GetExcitationPercentage(int32_t* value) const;
  long GetFilterRealPosition(int32_t* value) const;
  long GetIsMasterFilter(int32_t* value) const;
  long GetStoringChannelNumber(int32_t* value) const;
  long GetThreshold(int32_t* value) const;
  long GetZDiff(double* value) const;
  long GetConfocalGain(double* value) const;
  long GetRatioOfFovsContainingSample(double* value) const;
  long GetAverageOfFocusQualityWithinNonemptyFovs(double* value) const;
  long GetAverageOfFocusQualityWithinWholeSlide(double* value) const;
  long GetXDiff(double* value) const;
  long GetYDiff(double* value) const;
  long GetName(std::u16string* value) const;
  long GetActive(std::u16string* value) const;
  long GetModify(std::u16string* value) const;

  // Key (getter name without "Get") -> UTF-8 text; filled by the library.
  std::map<std::string, std::string> m_values;
};

class DICOMINTEROP_API CCommonWSIMetadata {
 public:
  long GetCompressionFactor(int32_t* value) const;
  long GetScannedFOVCount(int32_t* value) const;
  long GetDiskPosition(int32_t* value) const;
  long GetFocusLimitLO(int32_t* value) const;
  long GetFocusLimitUP(int32_t* value) const;
  long GetIccProfileColorScheme(int32_t* value) const;
  long GetIccProfileWhitePoint(int32_t* value) const;
  long GetIccProfileGamma(int32_t* value) const;
  long GetCameraRealBitDepth(int32_t* value) const;
  long GetOriginalCompressionType(int32_t* value) const;
  long GetOriginalCompressionFactor(int32_t* value) const;
  long GetSqrt2Resized(int32_t* value) const;
  long GetGammaApplied(int32_t* value) const;
  long GetSlidePositionX(int32_t* value) const;
  long GetSlidePositionY(int32_t* value) const;
  long GetFluorSlideIndividuallyExpTime(int32_t* value) const;
  long GetFluorSlideScanningAlgorithm(int32_t* value) const;
  long GetFluorSlideFocusPlaneFindingStep(int32_t* value) const;
  long GetFluorSlideFocusmapCreatingStep(int32_t* value) const;
  long GetFluorSlideMaximumExposureTime(int32_t* value) const;
  long GetFluorSlideFocusingType(int32_t* value) const;
  long GetCameraImageDivisionsPerSide(int32_t* value) const;
  long GetObjectguideMaxHysteresisX(int32_t* value) const;
  long GetObjectguideMaxHysteresisY(int32_t* value) const;
  long GetWholeSlidePreviewRoiLeft(int32_t* value) const;
  long GetWholeSlidePreviewRoiTop(int32_t* value) const;
  long GetWholeSlidePreviewRoiRight(int32_t* value) const;
  long GetWholeSlidePreviewRoiBottom(int32_t* value) const;
  long GetWholeSlideBarcodeRoiLeft(int32_t* value) const;
  long GetWholeSlideBarcodeRoiTop(int32_t* value) const;
  long GetWholeSlideBarcodeRoiRight(int32_t* value) const;
  long GetWholeSlideBarcodeRoiBottom(int32_t* value) const;
  long GetOriginalScanmapROIOffsetXPixels(uint32_t* value) const;
  long GetOriginalScanmapROIOffsetYPixels(uint32_t* value) const;
  long GetOriginalScanmapWidthPixels(uint32_t* value) const;
  long GetOriginalScanmapHeightPixels(uint32_t* value) const;
  long GetGammaValue(double* value) const;
  long GetCameraRotation(double* value) const;
  long GetPhysicalMagnify(std::u16string* value) const;
  long GetAdapterSize(std::u16string* value) const;
  long GetOptovarSize(std::u16string* value) const;
  long GetCameraType(std::u16string* value) const;
  long GetObjectiveName(std::u16string* value) const;
  long GetSlideOriginalSource(std::u16string* value) const;
  long GetFluorSlideMultispectralScanning(std::u16string* value) const;
  long GetFocusMap(std::u16string* value) const;
  long GetFocusLimit(std::u16string* value) const;
  long GetFlatFieldCorrection(std::u16string* value) const;
  long GetCompensationAlg(std::u16string* value) const;
  long GetExtendedFocusAlg(std::u16string* value) const;
  long GetSlideIsConfocal(std::u16string* value) const;
  long GetBarcodeAnonymized(std::u16string* value) const;
  long GetSlideIsDoubleWide(std::u16string* value) const;
  long GetSharpened(std::u16string* value) const;
  long GetFluorSlideDoNotScanEmptyFovs(std::u16string* value) const;
  long GetSlideContent(std::u16string* value) const;
  long GetTmaCoreFindingStat(std::u16string* value) const;
  long GetScannerCameraType(std::u16string* value) const;
  long GetBarcode(std::u16string* value) const;
  long GetLabelText(std::u16string* value) const;

  // Channel record of channel `channel` (0-based); WSI_E_INVALIDARG beyond the channel count.
  long GetChannelData(int32_t channel, CKSLFProprietaryChannelData* record) const;

  // Key (getter name without "Get") -> UTF-8 text, and one record per channel; filled by the library.
  std::map<std::string, std::string> m_values;
  std::vector<CKSLFProprietaryChannelData> m_channels;
};

// The metadata-backed slide tags as one table (tag, getter) and the VARIANT form of each getter.
// Tag 304 is not here: its failing getter answers 0 instead of EMPTY.
#include "Properties/MetadataPropertyTable.h"

namespace MetadataPropertyTable {
namespace {

using M = CCommonWSIMetadata;

struct Row {
  LONG tag;
  Getter getter;
};

const Row kRows[] = {
    {305, TextGetter{&M::GetPhysicalMagnify}},
    {310, I4Getter{&M::GetScannedFOVCount}},
    {314, TextGetter{&M::GetAdapterSize}},
    {315, TextGetter{&M::GetOptovarSize}},
    {316, TextGetter{&M::GetCameraType}},
    {322, TextGetter{&M::GetObjectiveName}},
    {333, TextGetter{&M::GetSlideOriginalSource}},
    {335, TextGetter{&M::GetFluorSlideMultispectralScanning}},
    {355, I4Getter{&M::GetDiskPosition}},
    {356, TextGetter{&M::GetFocusMap}},
    {357, TextGetter{&M::GetFocusLimit}},
    {358, I4Getter{&M::GetFocusLimitLO}},
    {359, I4Getter{&M::GetFocusLimitUP}},
    {360, TextGetter{&M::GetFlatFieldCorrection}},
    {361, TextGetter{&M::GetCompensationAlg}},
    {362, TextGetter{&M::GetExtendedFocusAlg}},
    {363, TextGetter{&M::GetSlideIsConfocal}},
    {364, I4Getter{&M::GetIccProfileColorScheme}},
    {365, I4Getter{&M::GetIccProfileWhitePoint}},
    {366, I4Getter{&M::GetIccProfileGamma}},
    {371, TextGetter{&M::GetBarcodeAnonymized}},
    {409, I4Getter{&M::GetCameraRealBitDepth}},
    {1000, UI4Getter{&M::GetOriginalScanmapROIOffsetXPixels}},
    {1001, UI4Getter{&M::GetOriginalScanmapROIOffsetYPixels}},
    {1002, UI4Getter{&M::GetOriginalScanmapWidthPixels}},
    {1003, UI4Getter{&M::GetOriginalScanmapHeightPixels}},
    {1004, I4Getter{&M::GetOriginalCompressionType}},
    {1005, I4Getter{&M::GetOriginalCompressionFactor}},
    {51000, I4Getter{&M::GetSqrt2Resized}},
    {51001, TextGetter{&M::GetSharpened}},
    {51002, I4Getter{&M::GetGammaApplied}},
    {51003, R8Getter{&M::GetGammaValue}},
    {51200, I4Getter{&M::GetSlidePositionX}},
    {51201, I4Getter{&M::GetSlidePositionY}},
    {51210, I4Getter{&M::GetFluorSlideIndividuallyExpTime}},
    {51211, I4Getter{&M::GetFluorSlideScanningAlgorithm}},
    {51212, I4Getter{&M::GetFluorSlideFocusPlaneFindingStep}},
    {51213, I4Getter{&M::GetFluorSlideFocusmapCreatingStep}},
    {51214, I4Getter{&M::GetFluorSlideMaximumExposureTime}},
    {51215, I4Getter{&M::GetFluorSlideFocusingType}},
    {51216, TextGetter{&M::GetFluorSlideDoNotScanEmptyFovs}},
    {51220, TextGetter{&M::GetSlideContent}},
    {51230, I4Getter{&M::GetCameraImageDivisionsPerSide}},
    {51240, TextGetter{&M::GetTmaCoreFindingStat}},
    {51250, TextGetter{&M::GetScannerCameraType}},
    {51251, I4Getter{&M::GetObjectguideMaxHysteresisX}},
    {51252, I4Getter{&M::GetObjectguideMaxHysteresisY}},
    {51253, R8Getter{&M::GetCameraRotation}},
};

struct Reader {
  const CCommonWSIMetadata& metadata;
  VARIANT& value;

  HRESULT operator()(I4Getter getter) const {
    int32_t number = 0;
    if ((metadata.*getter)(&number) < 0) return S_OK;
    value.vt = VT_I4;
    value.lVal = number;
    return S_OK;
  }
  HRESULT operator()(UI4Getter getter) const {
    uint32_t number = 0;
    if ((metadata.*getter)(&number) < 0) return S_OK;
    value.vt = VT_UI4;
    value.ulVal = number;
    return S_OK;
  }
  HRESULT operator()(R8Getter getter) const {
    double number = 0;
    if ((metadata.*getter)(&number) < 0) return S_OK;
    value.vt = VT_R8;
    value.dblVal = number;
    return S_OK;
  }
  HRESULT operator()(TextGetter getter) const {
    std::u16string text;
    if ((metadata.*getter)(&text) < 0) return S_OK;
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (copy == nullptr) return E_OUTOFMEMORY;
    value.vt = VT_BSTR;
    value.bstrVal = copy;
    return S_OK;
  }
};

}  // namespace

std::vector<LONG> Tags() {
  std::vector<LONG> tags;
  for (const Row& row : kRows) tags.push_back(row.tag);
  return tags;
}

std::optional<Getter> FindGetter(LONG tag) {
  for (const Row& row : kRows) {
    if (row.tag == tag) return row.getter;
  }
  return std::nullopt;
}

HRESULT ReadInto(const CCommonWSIMetadata& metadata, const Getter& getter, VARIANT& value) {
  VariantInit(&value);
  return std::visit(Reader{metadata, value}, getter);
}

}  // namespace MetadataPropertyTable

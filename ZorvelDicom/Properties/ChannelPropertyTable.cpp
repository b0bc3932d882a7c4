// The channel tag directory (names and descriptions as hosts show them) and the record-backed
// channel tags. The values of the other channel tags are computed in DicomZorvelChannelProperties.cpp.
#include "Properties/ChannelPropertyTable.h"

#include <algorithm>

#include "Properties/PropertyValues.h"

namespace ChannelPropertyTable {
namespace {

using R = CKSLFProprietaryChannelData;

constexpr PropertyTagRow kRows[] = {
    {400, u"Name", u"channel name (identifier)"},
    {401, u"Exposure time", u"exposure time"},
    {402, u"Pseudo color", u"pseudo colorization value"},
    {403, u"Brightness", u"brightness value"},
    {404, u"Contrast", u"contrast value"},
    {405, u"Gamma", u"gamma value"},
    {406, u"Digital gain", u"digital gain value"},
    {407, u"Extended focus step size", u"step size what is used by the extended focus"},
    {408, u"Extended focus step count", u"step count what is used by the extended focus"},
    {409, u"Real bit depth", u"real bit depth of this channel"},
    {410, u"Optimal histogram min value",
     u"Minimum relative pixel value for the optimal LUT (determined by scanner)"},
    {411, u"Optimal histogram max value",
     u"Maximal relative pixel value for the optimal LUT (determined by scanner)"},
    {412, u"Excitation wavelength", u"Excitation wavelength (used by MSI unmixing SW)"},
    {413, u"Excitation bandwidth", u"Excitation bandwidth (used by MSI unmixing SW)"},
    {414, u"Emission wavelength", u"Emission wavelength (used by MSI unmixing SW)"},
    {415, u"Emission bandwidth", u"Emission bandwidth (used by MSI unmixing SW)"},
    {416, u"Default pseudo color", u"default pseudo colorization value"},
    {417, u"Has stored brightness", u"brightness value stored in slide data"},
    {418, u"Has stored contrast", u"contrast value stored in slide data"},
    {419, u"Has stored gamma", u"gamma value stored in slide data"},
    {420, u"Has stored Optimal histogram min value", u"optimal histogram min value stored in slide data"},
    {421, u"Has stored optimal histogram max value", u"optimal histogram max value stored in slide data"},
    {422, u"Z-Stack step count", u"number of different z-stack levels in this filter"},
    {423, u"First Z-Stack level", u"first z-stack level"},
    {424, u"Z-diff", u"z-diff of the filter"},
    {425, u"Exposure percentage", u"exposure percentage"},
    {426, u"Excitation percentage", u"excitation percentage"},
    {427, u"Confocal gain", u"confocal gain"},
    {428, u"Ratio of fovs which contain sample", u"Ratio of fovs which contain sample"},
    {429, u"Average of focus quality within nonempty fovs", u"Average of focus quality within nonempty fovs"},
    {430, u"Average of focus quality within whole slide", u"Average of focus quality within whole slide"},
};

struct GetterRow {
  LONG tag;
  Getter getter;
};

const GetterRow kGetters[] = {
    {401, I4Getter{&R::GetExposureTime}},
    {406, I4Getter{&R::GetDigitalGain}},
    {407, I4Getter{&R::GetExtendedStepSize}},
    {408, I4Getter{&R::GetExtendedStepCount}},
    {413, I4Getter{&R::GetExcitationBandwidth}},
    {415, I4Getter{&R::GetEmissionBandwidth}},
    {422, I4Getter{&R::GetZStackStepCount}},
    {423, I4Getter{&R::GetFirstZStackLevel}},
    {424, R8Getter{&R::GetZDiff}},
    {425, I4Getter{&R::GetExposurePercentage}},
    {426, I4Getter{&R::GetExcitationPercentage}},
    {427, R8Getter{&R::GetConfocalGain}},
    {428, R8Getter{&R::GetRatioOfFovsContainingSample}},
    {429, R8Getter{&R::GetAverageOfFocusQualityWithinNonemptyFovs}},
    {430, R8Getter{&R::GetAverageOfFocusQualityWithinWholeSlide}},
    {51101, R8Getter{&R::GetXDiff}},
    {51102, R8Getter{&R::GetYDiff}},
    {51110, I4Getter{&R::GetFilterRealPosition}},
    {51111, I4Getter{&R::GetIsMasterFilter}},
    {51112, I4Getter{&R::GetStoringChannelNumber}},
    {51120, TextGetter{&R::GetActive}},
    {51121, TextGetter{&R::GetModify}},
    {51131, I4Getter{&R::GetThreshold}},
};

}  // namespace

std::span<const PropertyTagRow> Rows() { return kRows; }

std::optional<Getter> FindGetter(LONG tag) {
  const auto* row = std::find_if(std::begin(kGetters), std::end(kGetters), [tag](const GetterRow& r) { return r.tag == tag; });
  if (row == std::end(kGetters)) return std::nullopt;
  return row->getter;
}

HRESULT SetTextOrError(VARIANT& value, std::u16string_view text) {
  const HRESULT hr = PropertyValues::SetText(value, text);
  if (FAILED(hr)) {
    value.vt = VT_ERROR;
    value.scode = hr;
  }
  return hr;
}

HRESULT ReadInto(const CKSLFProprietaryChannelData& record, const Getter& getter, VARIANT& value) {
  struct Reader {
    const CKSLFProprietaryChannelData& record;
    VARIANT& value;
    HRESULT operator()(I4Getter get) const {
      int32_t number = 0;
      if ((record.*get)(&number) == 0) PropertyValues::SetI4(value, number);
      return S_OK;
    }
    HRESULT operator()(R8Getter get) const {
      double number = 0;
      if ((record.*get)(&number) == 0) PropertyValues::SetR8(value, number);
      return S_OK;
    }
    HRESULT operator()(TextGetter get) const {
      std::u16string text;
      if ((record.*get)(&text) != 0) return S_OK;
      return SetTextOrError(value, text);
    }
  };
  return std::visit(Reader{record, value}, getter);
}

}  // namespace ChannelPropertyTable

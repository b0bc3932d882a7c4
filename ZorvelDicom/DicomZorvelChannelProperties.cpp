// Channel properties of the slide-access object: the channel tag directory and the value of each
// channel tag, from the current zoom image, the channel records of the metadata and the pseudo colours.
// With no current zoom image, level 0 is opened first (as slide properties do). m_csSlide held inside.
#include <new>

#include <DicomInteropBase.h>

#include "DicomZorvelImpl.h"
#include "ModuleLog.h"
#include "Properties/ChannelPropertyTable.h"
#include "Properties/PropertyValues.h"
#include "Render/PseudoColorLut.h"

namespace {

using namespace PropertyValues;

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr const char16_t* kGetChannelProperties = u"CDicomZorvelImpl::GetChannelProperties";
constexpr LONG kRealBitDepthTag = 409;
constexpr LONG kDigitalGainTag = 406;
constexpr int32_t kMinimumBitDepth = 8;

constexpr SeErrorReporter Report{kSource, kGetChannelProperties};

// Tags whose value depends on nothing but the tag and the channel argument; false for the others.
bool ReadFixedChannelValue(LONG tag, LONG channel, VARIANT& value) {
  switch (tag) {
    case 403: case 404: SetI4(value, 0); return true;
    case 405: case 411: SetR8(value, 1.0); return true;
    case 410: SetR8(value, 0.0); return true;
    case 417: case 418: case 419: case 420: case 421: SetBool(value, false); return true;
    case 20000: SetI4(value, channel); return true;
    default: return false;
  }
}

// Tags computed from the slide beside the record-backed ones.
bool IsSlideChannelTag(LONG tag) {
  switch (tag) {
    case 400: case 402: case 409: case 412: case 414: case 416: case 431: case 432: case 433: return true;
    default: return ChannelPropertyTable::FindGetter(tag).has_value();
  }
}

// Owns a text the slide library handed out.
struct LibraryText {
  char16_t* text = nullptr;
  uint32_t length = 0;
  LibraryText() = default;
  LibraryText(const LibraryText&) = delete;
  LibraryText& operator=(const LibraryText&) = delete;
  ~LibraryText() { CDicomInteropBase::Free(text); }
};

using ChannelPropertyTable::SetTextOrError;

}  // namespace

STDMETHODIMP CDicomZorvelImpl::GetChannelPropertyTags(VARIANT* PropTagArray, VARIANT* PropTagNameArray,
                                                      VARIANT* PropTagDescArray) {
  const HRESULT hr =
      BuildPropertyTagList(ChannelPropertyTable::Rows(), PropTagArray, PropTagNameArray, PropTagDescArray);
  if (FAILED(hr)) return Report(1606, hr, u"CDicomZorvelImpl::GetChannelPropertyTags");
  return S_OK;
}

STDMETHODIMP CDicomZorvelImpl::GetChannelProperties(LONG ChannelPropTag, LONG Channel, VARIANT* ChannelProperty) {
  if (ChannelProperty == nullptr) return Report(2003, E_POINTER);
  VariantClear(ChannelProperty);
  try {
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = S_OK;
    if (!ReadFixedChannelValue(ChannelPropTag, Channel, value)) {
      if (!IsSlideChannelTag(ChannelPropTag)) return Report(1998, E_INVALIDARG);
      std::lock_guard slide(m_csSlide);
      hr = OpenCurrentZoomImage();
      if (FAILED(hr)) return Report(1998, hr);
      hr = ReadChannelProperty(ChannelPropTag, Channel, value);
    }
    *ChannelProperty = value;
    return hr;
  } catch (const std::bad_alloc&) {
    return Report(2003, E_OUTOFMEMORY);
  } catch (...) {
    return Report(2003, E_FAIL);
  }
}

// Opens level 0 (extended focus first) when no request has opened a level yet; the caller reports
// a failure. m_csSlide held.
HRESULT CDicomZorvelImpl::OpenCurrentZoomImage() {
  if (m_pCurrentZoomImage != nullptr) return S_OK;
  const HRESULT hr = CreateDicomSource();
  if (FAILED(hr)) return hr;
  long levelDifference = 0;
  return TryOpenExtendedAndNormalSmallestZoomlevelFound(0, levelDifference);
}

// The value of a tag that needs the slide; `value` starts VT_EMPTY. m_csSlide held, current image set.
HRESULT CDicomZorvelImpl::ReadChannelProperty(LONG tag, LONG channel, VARIANT& value) {
  if (auto getter = ChannelPropertyTable::FindGetter(tag)) {
    CKSLFProprietaryChannelData record;
    if (m_metadata.GetChannelData(channel, &record) != 0) return S_OK;
    return ChannelPropertyTable::ReadInto(record, *getter, value);
  }
  const auto index = static_cast<uint32_t>(channel);
  const bool inRange = channel >= 0 && index < m_pCurrentZoomImage->GetChannelCount();
  switch (tag) {
    case 400: return ReadChannelName(channel, value);
    case 402: case 416: {
      uint16_t a = 0, b = 0, c = 0;
      if (inRange && m_pCurrentZoomImage->GetMaxPseudoColors(index, &a, &b, &c)) SetI4(value, PackMaxPseudoColor(a, b, c));
      return S_OK;
    }
    case kRealBitDepthTag: return ReadRealBitDepth(channel, value);
    case 412: case 414: {
      const uint16_t wavelength = !inRange ? 0
                                  : tag == 412 ? m_pCurrentZoomImage->GetLightPathFilterPassThroughWavelength(index)
                                               : m_pCurrentZoomImage->GetImagePathFilterPassThroughWavelength(index);
      if (wavelength != 0) {
        value.vt = VT_UI2;
        value.uiVal = wavelength;
      }
      return S_OK;
    }
    default: return ReadPseudoColorTable(tag - 431, channel, value);
  }
}

// Unmixed brightfield channels are named by colour; fluorescence channels by their optical path.
HRESULT CDicomZorvelImpl::ReadChannelName(LONG channel, VARIANT& value) {
  if (m_pCurrentZoomImage->IsUnmixedBrightfield()) {
    static constexpr const char16_t* kColourNames[] = {u"Blue", u"Green", u"Red"};
    if (channel < 0 || channel > 2) return Report(1653, E_INVALIDARG);
    return SetTextOrError(value, kColourNames[channel]);
  }
  if (channel < 0 || static_cast<uint32_t>(channel) >= m_pCurrentZoomImage->GetChannelCount()) {
    return Report(1667, E_INVALIDARG);
  }
  const auto index = static_cast<uint32_t>(channel);
  LibraryText name;
  if (m_pCurrentZoomImage->GetOpticalPathDescription(index, &name.text, &name.length) != 0 || name.length == 0) {
    LibraryText identifier;
    if (m_pCurrentZoomImage->GetOpticalPathIdentifier(index, &identifier.text, &identifier.length) != 0) return S_OK;
    return SetTextOrError(value, std::u16string_view(identifier.text, identifier.text ? identifier.length : 0));
  }
  return SetTextOrError(value, std::u16string_view(name.text, name.length));
}

// 8 for 8-bit slides; otherwise the camera bit depth less the channel's digital gain, at least 8.
HRESULT CDicomZorvelImpl::ReadRealBitDepth(LONG channel, VARIANT& value) {
  if (m_bitsStored >= 1 && m_bitsStored <= 8) {
    SetI4(value, kMinimumBitDepth);
    return S_OK;
  }
  VARIANT cameraDepth, gain;
  VariantInit(&cameraDepth);
  VariantInit(&gain);
  const bool known = SUCCEEDED(GetSlideProperties(kRealBitDepthTag, &cameraDepth)) && cameraDepth.vt == VT_I4 &&
                     SUCCEEDED(GetChannelProperties(kDigitalGainTag, channel, &gain)) && gain.vt == VT_I4;
  if (known) SetI4(value, std::max(kMinimumBitDepth, cameraDepth.lVal - gain.lVal));
  VariantClear(&cameraDepth);
  VariantClear(&gain);
  return S_OK;
}

// Component 0, 1, 2: the red, green or blue table in the form that matches the output bit depth.
HRESULT CDicomZorvelImpl::ReadPseudoColorTable(int component, LONG channel, VARIANT& value) {
  static constexpr int kReadLines[] = {1717, 1730, 1743};
  static constexpr int kBuildLines[] = {1722, 1735, 1748};
  using TableGetter = long (CWSIZoomImage::*)(uint32_t, bool, uint16_t**, uint32_t*) const;
  static constexpr TableGetter kGetters[] = {&CWSIZoomImage::GetPseudoColorRedLUT,
                                             &CWSIZoomImage::GetPseudoColorGreenLUT,
                                             &CWSIZoomImage::GetPseudoColorBlueLUT};
  uint16_t* entries = nullptr;
  uint32_t count = 0;
  const long result = (m_pCurrentZoomImage->*kGetters[component])(static_cast<uint32_t>(channel),
                                                                  !m_bHighBitDepthOutput, &entries, &count);
  const CDicomInteropBase::DeleteDelegatorPtr<uint16_t> owner(entries);
  if (result != 0) return Report(kReadLines[component], static_cast<HRESULT>(result));
  const HRESULT hr = CreateFinalPseudoColorLut(entries, count, value);
  if (FAILED(hr)) return Report(kBuildLines[component], hr);
  return S_OK;
}

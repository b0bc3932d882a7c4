// Slide properties of the slide-access object: the tag directory and the value of each slide tag,
// read from the current zoom image, the directory source and the proprietary metadata copy.
// Free-threaded: values are computed under m_csSlide; every failure is reported where detected.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <new>

#include <DicomInteropBase.h>
#include <base/SeComHelper.h>
#include <base/SeUtils.h>

#include "DicomZorvelImpl.h"
#include "ModuleCodes.h"
#include "ModuleLog.h"
#include "Properties/MetadataPropertyTable.h"
#include "Properties/PropertyValues.h"
#include "Properties/SlidePropertyRules.h"
#include "Properties/SlidePropertyTags.h"
#include "Properties/SlideTagTable.h"
#include "Properties/SlidePropertyTable.h"
#include "Slide/SlideIdScan.h"

namespace {

using namespace PropertyValues;

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr const char16_t* kGetProperties = u"CDicomZorvelImpl::GetSlideProperties";
constexpr LONG kIgnoredTagBit = 0x40000000;

constexpr SeErrorReporter Report{kSource, kGetProperties};

// Tags whose value is one fixed text.
const char16_t* FixedText(LONG tag) {
  using namespace SlideTag;
  switch (tag) {
    case kBrightness: case kContrast: case kRotation: case kCurrentZStackLevel: case kColorBalanceRed:
    case kColorBalanceGreen: case kColorBalanceBlue: case kHasStoredBrightness: case kHasStoredContrast:
      return u"0";
    case kGamma: case kHasStoredGamma:
      return u"1.0";
    case kVerticalFlip: case kHorizontalFlip: case kBarcodeFlip: case kZStackEnabled:
      return u"False";
    default:
      return nullptr;
  }
}

// Tags that need neither the directory source nor an opened level before their value is read.
bool SkipsSlideOpening(LONG tag) {
  return tag == SlideTag::kSlideId || tag == SlideTag::kLabelText || tag == SlideTag::kBarcodeFlip;
}

}  // namespace

STDMETHODIMP CDicomZorvelImpl::GetSlidePropertyTags(VARIANT* PropTagArray, VARIANT* PropTagNameArray,
                                                    VARIANT* PropTagDescArray) {
  const HRESULT hr = BuildPropertyTagList(SlidePropertyRows(), PropTagArray, PropTagNameArray, PropTagDescArray);
  if (FAILED(hr)) return Report(569, hr, u"CDicomZorvelImpl::GetSlidePropertyTags");
  return S_OK;
}

STDMETHODIMP CDicomZorvelImpl::GetSlideProperties(LONG SldPropTag, VARIANT* SlideProperty) {
  if (SlideProperty == nullptr) return Report(1565, E_POINTER);
  const LONG tag = SldPropTag & ~kIgnoredTagBit;
  try {
    std::lock_guard slide(m_csSlide);
    if (!SkipsSlideOpening(tag)) {
      HRESULT hr = CreateDicomSource();
      if (FAILED(hr)) return Report(783, hr);
      long levelDifference = 0;
      hr = TryOpenExtendedAndNormalSmallestZoomlevelFound(0, levelDifference);
      if (FAILED(hr)) return Report(784, hr);
    }
    VARIANT value;
    VariantInit(&value);
    const HRESULT hr = ReadSlideProperty(tag, value);
    VariantClear(SlideProperty);
    *SlideProperty = value;
    return hr;
  } catch (const std::bad_alloc&) {
    return Report(1570, E_OUTOFMEMORY);
  } catch (...) {
    return Report(1570, E_FAIL);
  }
}

// The value of one (unmasked) tag; `value` starts VT_EMPTY. Every tag has one reader in one table.
HRESULT CDicomZorvelImpl::ReadSlideProperty(LONG tag, VARIANT& value) {
  static const SlideTagTable kReaders = BuildSlideTagReaders();
  const SlideTagRow* row = kReaders.Find(tag);
  if (row == nullptr) return Report(1559, E_INVALIDARG);
  return row->read(*this, tag, value);
}

HRESULT CDicomZorvelImpl::ReadFocusLevelOffset(LONG tag, VARIANT& value) {
  const auto found = m_focusLevelOffsets.find(tag - SlideTag::kZeroFocusLevelOffset);
  double offset = found == m_focusLevelOffsets.end() ? 0.0 : found->second;
  if (tag == SlideTag::kZeroFocusLevelOffset && std::fabs(offset) < 0.000001) offset = 0.0;
  SetR8(value, offset);
  return S_OK;
}

// The reader of every slide tag: fixed texts, metadata getters, focus-level offsets, the current
// image and the slide-wide state.
SlideTagTable CDicomZorvelImpl::BuildSlideTagReaders() {
  using namespace SlideTag;
  using Self = CDicomZorvelImpl;
  SlideTagTable table;
  for (LONG tag = kCompressed; tag <= kRawZoomList; ++tag) {
    if (FixedText(tag) != nullptr) table.Add(tag, [](Self&, LONG t, VARIANT& v) { return SetText(v, FixedText(t)); });
  }
  for (LONG tag : MetadataPropertyTable::Tags()) {
    table.Add(tag, [](Self& s, LONG t, VARIANT& v) {
      return MetadataPropertyTable::ReadInto(s.m_metadata, *MetadataPropertyTable::FindGetter(t), v);
    });
  }
  table.Add(kFirstFocusLevelOffset, kLastFocusLevelOffset,
            [](Self& s, LONG t, VARIANT& v) { return s.ReadFocusLevelOffset(t, v); });
  AddImageReaders(table);
  table.Add(kCompressionFactor, [](Self& s, LONG, VARIANT& v) {
    int32_t factor = 0;
    SetI4(v, s.m_metadata.GetCompressionFactor(&factor) >= 0 ? factor : 0);
    return S_OK;
  });
  table.Add(kRoiPosition, [](Self&, LONG, VARIANT& v) { return SetI4(v, 0), S_OK; });
  table.Add(kBitDepth, [](Self& s, LONG, VARIANT& v) { return SetI4(v, s.m_bitsStored), S_OK; });
  table.Add(kHasZStack, [](Self& s, LONG, VARIANT& v) {
    SetBool(v, s.m_bNormalLevelOpened && s.m_pCurrentZoomImage != nullptr && s.m_pCurrentZoomImage->GetZStackCount() >= 2);
    return S_OK;
  });
  table.Add(kHasExtendedFocus, [](Self& s, LONG, VARIANT& v) { return SetBool(v, s.m_bExtendedFocus), S_OK; });
  table.Add(kZStackZeroFocusLevel, [](Self& s, LONG, VARIANT& v) {
    ULONG zeroFocusLevel = 0;
    if (SUCCEEDED(s.CalculateZeroFocusLevel(zeroFocusLevel))) SetI4(v, static_cast<int32_t>(zeroFocusLevel));
    return S_OK;
  });
  table.Add(kZStackFirstLevel, [](Self& s, LONG, VARIANT& v) {
    long firstLevel = 0;
    if (SUCCEEDED(s.CalculateZStackFirstLevel(firstLevel))) SetI4(v, static_cast<int32_t>(firstLevel));
    return S_OK;
  });
  table.Add(kRawImageList, [](Self&, LONG, VARIANT&) { return S_OK; });
  table.Add(kSlideSize, [](Self& s, LONG, VARIANT& v) { return s.ReadSlideSize(v); });
  table.Add(kSlideId, [](Self& s, LONG, VARIANT& v) { return s.ReadSlideId(v); });
  table.Add(kSlideIdAgain, [](Self& s, LONG, VARIANT& v) { return s.ReadSlideId(v); });
  table.Add(kLabelText, [](Self& s, LONG, VARIANT& v) { return s.ReadLabelText(v); });
  table.Add(kDoubleWide, [](Self& s, LONG, VARIANT& v) { return s.ReadDoubleWide(v); });
  table.Add(kDoubleWideAgain, [](Self& s, LONG, VARIANT& v) { return s.ReadDoubleWide(v); });
  table.Add(kLargeRawTiles, [](Self& s, LONG, VARIANT& v) { return SetBool(v, s.m_bLargeRawTiles), S_OK; });
  table.Add(kRawZoomList, [](Self& s, LONG, VARIANT& v) { return s.ReadRawZoomList(v); });
  table.Add(kHistogramParameters, [](Self& s, LONG, VARIANT& v) { return s.ReadHistogramParameters(v); });
  return table;
}

HRESULT CDicomZorvelImpl::ReadSlideSize(VARIANT& value) {
  if (!m_spDirectorySource->GetIsValidSlideSize()) return Report(1051, E_INVALIDARG);
  value.vt = VT_UI8;
  value.ullVal = m_spDirectorySource->GetSlideSize();
  return S_OK;
}

HRESULT CDicomZorvelImpl::ReadSlideId(VARIANT& value) {
  std::u16string id;
  if (!m_spDirectorySource) {
    // Without a UID found in the files (implicit VR files carry no "UI" marker), the slide library
    // decides: it finds the UID or reports why the directory is no slide.
    if (SUCCEEDED(GetSlideIDFast(id)) && !id.empty()) return SetText(value, id);
    HRESULT opened = CreateDicomSource();
    if (FAILED(opened)) return Report(1265, opened);
    long levelDifference = 0;
    opened = TryOpenExtendedAndNormalSmallestZoomlevelFound(0, levelDifference);
    if (FAILED(opened)) return Report(1266, opened);
  }
  const long result = m_spDirectorySource->GetSlideUID(&id);
  if (result < 0) return Report(1268, static_cast<HRESULT>(result));
  return SetText(value, id);
}

HRESULT CDicomZorvelImpl::ReadLabelText(VARIANT& value) {
  HRESULT hr = CreateDicomSource();
  if (FAILED(hr)) return Report(1445, hr);
  uint8_t* data = nullptr;
  char16_t* labelText = nullptr;
  uint64_t size = 0;
  DicomInteropDefines::EWSITransferSyntaxes syntax{};
  uint16_t samples = 0, bits = 0, width = 0, height = 0;
  const bool found =
      m_spDirectorySource->GetLabelImage(&data, &size, &syntax, &samples, &bits, &width, &height, &labelText);
  CDicomInteropBase::Free(data);
  if (found && labelText != nullptr) hr = SetText(value, labelText);
  CDicomInteropBase::Free(labelText);
  if (!found) return Report(1447, ModuleCodes::kLabelNotReadable);
  return hr;
}

HRESULT CDicomZorvelImpl::ReadDoubleWide(VARIANT& value) {
  std::u16string text;
  if (m_metadata.GetSlideIsDoubleWide(&text) < 0) return S_OK;
  bool doubleWide = false;
  const HRESULT hr = SeStringToBool(text.c_str(), &doubleWide);
  if (FAILED(hr)) return Report(1433, hr);
  SetBool(value, doubleWide);
  return S_OK;
}

HRESULT CDicomZorvelImpl::ReadRawZoomList(VARIANT& value) {
  uint16_t* levels = nullptr;
  uint32_t count = 0;
  const long result = m_spDirectorySource->GetRawZoomList(&levels, &count);
  if (result < 0) return Report(1420, static_cast<HRESULT>(result));
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI2, 0, count);
  void* entries = nullptr;
  if (array == nullptr || FAILED(SafeArrayAccessData(array, &entries))) {
    CDicomInteropBase::Free(levels);
    if (array != nullptr) SafeArrayDestroy(array);
    return Report(1422, E_OUTOFMEMORY);
  }
  std::copy_n(levels, count, static_cast<USHORT*>(entries));
  SafeArrayUnaccessData(array);
  CDicomInteropBase::Free(levels);
  value.vt = VT_ARRAY | VT_UI2;
  value.parray = array;
  return S_OK;
}

HRESULT CDicomZorvelImpl::ReadHistogramParameters(VARIANT& value) {
  CSeConfigParamArray parameters;
  HRESULT hr = parameters.AllocNew(1);
  if (FAILED(hr)) return Report(1290, hr);
  hr = parameters.SetVectorElement(0, u"historgam_exists", INT{0});
  if (FAILED(hr)) return Report(1293, hr);
  hr = parameters.Detach(&value);
  if (FAILED(hr)) return Report(1296, hr);
  return S_OK;
}

// An unreadable directory is a failure like any other: the caller falls back to the slide library.
HRESULT CDicomZorvelImpl::GetSlideIDFast(std::u16string& id) {
  try {
    return SlideIdScan::Scan(m_strSlidePath, SlideIdScan::kTimeLimit, id);
  } catch (const std::filesystem::filesystem_error&) {
    id.clear();
    return Report(600, E_FAIL, u"CDicomZorvelImpl::GetSlideIDFast");
  }
}

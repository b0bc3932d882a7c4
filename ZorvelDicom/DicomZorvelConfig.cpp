// The configuration property of the slide-access object: per-object switches, process-wide tuning
// values, closing the slide by key 10001, the read-back keys and the annotations object (key 1009).
// A wrong value type gives E_INVALIDARG with the key's own report line; booleans are VARIANT_TRUE or false.
#include <oleauto.h>

#include "Annotations/WSIAnnotations.h"
#include "ConfigurationKeys.h"
#include "DicomZorvelImpl.h"
#include "ModuleCodes.h"
#include "ModuleLog.h"
#include "Pipeline/SourceAgentHolder.h"
#include "ProcessSettings.h"

namespace {

using namespace ConfigurationKeys;

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr const char16_t* kPut = u"CDicomZorvelImpl::put_Properties";
constexpr const char16_t* kGet = u"CDicomZorvelImpl::get_Properties";

constexpr SeErrorReporter Report{kSource};

// Owns the copy of the value taken before it is looked at.
class VariantCopyHolder {
 public:
  explicit VariantCopyHolder(const VARIANT& source) {
    VariantInit(&m_value);
    m_result = VariantCopy(&m_value, &source);
  }
  ~VariantCopyHolder() { VariantClear(&m_value); }
  VariantCopyHolder(const VariantCopyHolder&) = delete;
  VariantCopyHolder& operator=(const VariantCopyHolder&) = delete;
  const VARIANT& Value() const { return m_value; }
  HRESULT Result() const { return m_result; }

 private:
  VARIANT m_value;
  HRESULT m_result;
};

bool IsTrue(const VARIANT& value) { return static_cast<USHORT>(value.boolVal) == 0xFFFF; }

using ProcessSetter = void (ProcessSettings::*)(ULONGLONG);
struct ProcessValueKey {
  LONG key;
  ProcessSetter set;
  int wrongTypeLine;
};

constexpr ProcessValueKey kProcessValueKeys[] = {
    {kDecodedMultiplier, &ProcessSettings::SetDecodedMultiplier, 3457}, {kEncodedMultiplier, &ProcessSettings::SetEncodedMultiplier, 3467},
    {kCacheDivisor, &ProcessSettings::SetDivisor, 3476},           {kMonitorThreshold, &ProcessSettings::SetThreshold, 3486},
    {kLosslessEncodedShare, &ProcessSettings::SetShare, 3496},             {kCacheCap, &ProcessSettings::SetCap, 3505},
};

}  // namespace

STDMETHODIMP CDicomZorvelImpl::put_Properties(LONG PropTag, VARIANT value) {
  VariantCopyHolder copy(value);
  if (FAILED(copy.Result())) return Report(3574, copy.Result(), kPut);
  const VARIANT& v = copy.Value();
  for (const ProcessValueKey& entry : kProcessValueKeys) {
    if (entry.key != PropTag) continue;
    if (v.vt != VT_UI8) return Report(entry.wrongTypeLine, E_INVALIDARG, kPut);
    (ProcessSettings::Instance().*entry.set)(v.ullVal);
    return S_OK;
  }
  return PutObjectProperty(PropTag, v);
}

// Keys that act on this object, the agent or the read-ahead switches.
HRESULT CDicomZorvelImpl::PutObjectProperty(LONG key, const VARIANT& v) {
  ProcessSettings& settings = ProcessSettings::Instance();
  const auto requireBool = [&](int line, auto store) {
    if (v.vt != VT_BOOL) return Report(line, E_INVALIDARG, kPut);
    store(IsTrue(v));
    return S_OK;
  };
  const auto requireUi8 = [&](int line, auto store) {
    if (v.vt != VT_UI8) return Report(line, E_INVALIDARG, kPut);
    store(v.ullVal);
    return S_OK;
  };
  switch (key) {
    case kHighBitDepthOutput: return requireBool(3447, [&](bool on) { m_bHighBitDepthOutput = on; });
    case kLargeRawTiles: return requireBool(3561, [&](bool on) { m_bLargeRawTiles = on; });
    case kPreReading: return requireBool(3570, [&](bool on) { settings.preReading = on; });
    case kChunkReadAhead: return requireBool(3540, [&](bool on) { settings.SetChunkReadAhead(on); });
    case kTileReadAhead: return requireBool(3549, [&](bool on) { settings.SetTileReadAhead(on); });
    case kSynchronousOpen: return requireBool(3555, [&](bool on) { m_bSynchronousOpen = on; });
    case kMaxConcurrency:
      return requireUi8(3520, [&](ULONGLONG n) {
        settings.SetMaxConcurrency(n);
        if (n == 1) Pipeline::SourceAgentHolder::Instance().SetReadLimit(1);
      });
    case kReadLimit:
      return requireUi8(3531, [&](ULONGLONG n) {
        settings.SetReadLimit(n);
        Pipeline::SourceAgentHolder::Instance().SetReadLimit(n);
      });
    case kCloseSlide: {
      if (v.vt != VT_UNKNOWN || v.punkVal == nullptr) return Report(3440, E_INVALIDARG, kPut);
      const HRESULT hr = CloseSlide();
      return FAILED(hr) ? Report(3436, hr, kPut) : S_OK;
    }
    default:
      return Report(3574, E_INVALIDARG, kPut);
  }
}

STDMETHODIMP CDicomZorvelImpl::get_Properties(LONG PropTag, VARIANT* pVal) {
  if (pVal == nullptr) return Report(3365, E_INVALIDARG, kGet);
  const HRESULT cleared = VariantClear(pVal);
  if (FAILED(cleared)) return Report(3421, cleared, kGet);
  switch (PropTag) {
    case kConstructed:
      pVal->vt = VT_BOOL;
      pVal->boolVal = m_bConstructed ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    case kHighBitDepthOutput:
      pVal->vt = VT_BOOL;
      pVal->boolVal = m_bHighBitDepthOutput ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
    case kEmptyReadBack:
      return S_OK;
    case kAnnotations:
      return GetAnnotationsObject(*pVal);
    default:
      return Report(3417, E_INVALIDARG, kGet);
  }
}

// A new annotations object with a copy of the slide's annotation set and its pixel size, handed out
// as VT_DISPATCH; three-dimensional annotations are not offered.
HRESULT CDicomZorvelImpl::GetAnnotationsObject(VARIANT& value) {
  HRESULT hr = CreateDicomSource();
  if (FAILED(hr)) return Report(3376, hr, kGet);
  try {
    CWSIAnnotations annotations;
    {
      std::lock_guard slide(m_csSlide);
      if (!m_spDirectorySource || m_spDirectorySource->GetAnnotationInstance(&annotations) != 0) {
        return Report(3378, E_FAIL, kGet);
      }
    }
    if (annotations.IsReal3D()) return Report(3385, ModuleCodes::kThreeDimensionalAnnotations, kGet);
    VARIANT pixelWidth, pixelHeight;
    VariantInit(&pixelWidth);
    VariantInit(&pixelHeight);
    hr = GetSlideProperties(308, &pixelWidth);
    if (FAILED(hr)) return Report(3389, hr, kGet);
    hr = GetSlideProperties(309, &pixelHeight);
    if (FAILED(hr)) return Report(3391, hr, kGet);
    ISeSlideFlagProvider* provider = nullptr;
    hr = ComWSIAnnotations::CreateBound(annotations, pixelWidth.vt == VT_R8 ? pixelWidth.dblVal : 0.0,
                                        pixelHeight.vt == VT_R8 ? pixelHeight.dblVal : 0.0, &provider);
    if (FAILED(hr)) return Report(3378, hr, kGet);
    value.vt = VT_DISPATCH;
    value.pdispVal = provider;
    return S_OK;
  } catch (...) {
    return Report(3393, E_FAIL, kGet);
  }
}

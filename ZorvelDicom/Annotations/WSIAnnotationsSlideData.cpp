// The slide-data family of the annotations object: the flag-record provider and the record at the
// flag index (attributes, identifier, bounding rectangle), plus the members that change nothing.
// Reports name the source "WSIAnnotations".
#include <oleauto.h>
#include <stringapiset.h>

#include <base/SeComHelper.h>

#include "Annotations/WSIAnnotations.h"
#include "ModuleLog.h"

namespace {

using namespace AnnotationRecords;

constexpr const char16_t* kSource = u"WSIAnnotations";
constexpr const char16_t* kGetAttributes = u"ComWSIAnnotationsImpl::GetAttributes";
constexpr int kLineNoRecord = 300;

constexpr SeErrorReporter Report{kSource};

// Report lines of the seven leading entries, in entry order.
constexpr int kEntryLines[] = {331, 333, 334, 335, 336, 337, 342};

HRESULT SetEntry(CSeConfigParamArray& array, LONG index, const Attribute& entry) {
  if (std::holds_alternative<int32_t>(entry.value)) {
    return array.SetVectorElement(index, entry.name.c_str(), INT{std::get<int32_t>(entry.value)});
  }
  if (std::holds_alternative<std::u16string>(entry.value)) {
    return array.SetVectorElement(index, entry.name.c_str(), std::get<std::u16string>(entry.value).c_str());
  }
  return S_OK;  // an empty entry stays VT_EMPTY, name and value
}

int EntryLine(const std::u16string& type, size_t index, size_t count, bool closedOutline) {
  if (index < 6 || (index == 6 && type == u"SlideFlag")) return kEntryLines[index];
  if (index == 6) return 348;
  if (closedOutline && index + 2 >= count) return index % 2 == 1 ? 368 : 369;
  return index % 2 == 1 ? 357 : 358;
}

}  // namespace

const FlagRecord* ComWSIAnnotations::CurrentFlagRecord(const char16_t* function) const {
  if (m_flagIndex < 0 || static_cast<size_t>(m_flagIndex) >= m_flagRecords.size()) {
    Report(kLineNoRecord, E_FAIL, function);
    return nullptr;
  }
  return &m_flagRecords[static_cast<size_t>(m_flagIndex)];
}

STDMETHODIMP ComWSIAnnotations::ConnectToSlide(ISeSlideInOut*, BSTR) { return LoadFlagRecords(m_source, m_flagRecords); }

STDMETHODIMP ComWSIAnnotations::DisconnectFromSlide(VARIANT_BOOL) {
  m_flagRecords.clear();
  m_source.Close();
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::get_DataCount(LONG* pVal) {
  if (pVal == nullptr) return E_POINTER;
  *pVal = static_cast<LONG>(m_flagRecords.size());
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::get_Data(LONG Index, IUnknown** pVal) {
  if (pVal == nullptr) return E_POINTER;
  m_flagIndex = Index;
  *pVal = static_cast<ISeSlideFlagDataRec*>(this);
  (*pVal)->AddRef();
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::get_Name(BSTR* pVal) { return CopyName(pVal, u"ComWSIAnnotationsImpl::get_Name"); }

STDMETHODIMP ComWSIAnnotations::GetAttributes(VARIANT* pAttributes, BSTR* pType) {
  if (pAttributes == nullptr || pType == nullptr) return E_POINTER;
  const FlagRecord* record = CurrentFlagRecord(kGetAttributes);
  if (record == nullptr) return E_FAIL;
  AttributeList list;
  if (!BuildAttributes(*record, list)) return E_FAIL;
  CSeConfigParamArray array;
  HRESULT hr = array.AllocNew(static_cast<ULONG>(list.entries.size()));
  if (FAILED(hr)) return Report(331, hr, kGetAttributes);
  for (size_t i = 0; i < list.entries.size(); ++i) {
    hr = SetEntry(array, static_cast<LONG>(i), list.entries[i]);
    if (FAILED(hr)) {
      return Report(EntryLine(list.type, i, list.entries.size(), record->kind == kClosedOutline), hr, kGetAttributes);
    }
  }
  BSTR type = SysAllocStringLen(list.type.data(), static_cast<UINT>(list.type.size()));
  if (type == nullptr) return E_OUTOFMEMORY;
  hr = VariantClear(pAttributes);
  if (SUCCEEDED(hr)) hr = array.Detach(pAttributes);
  if (FAILED(hr)) {
    SysFreeString(type);
    return Report(378, hr, kGetAttributes);
  }
  *pType = type;
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::get_ObjectGUID(BSTR* pVal) {
  if (pVal == nullptr) return E_POINTER;
  const FlagRecord* record = CurrentFlagRecord(u"ComWSIAnnotationsImpl::get_ObjectGUID");
  if (record == nullptr) return E_FAIL;
  const int length = static_cast<int>(record->identifier.size());
  const int wide = MultiByteToWideChar(CP_ACP, 0, record->identifier.data(), length, nullptr, 0);
  BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(wide));
  if (text == nullptr) return E_OUTOFMEMORY;
  if (wide > 0) MultiByteToWideChar(CP_ACP, 0, record->identifier.data(), length, text, wide);
  *pVal = text;
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::GetBoundRect(LONG* pLeft, LONG* pTop, LONG* pRight, LONG* pBottom) {
  if (pLeft == nullptr || pTop == nullptr || pRight == nullptr || pBottom == nullptr) return E_POINTER;
  const FlagRecord* record = CurrentFlagRecord(u"ComWSIAnnotationsImpl::GetBoundRect");
  if (record == nullptr) return E_FAIL;
  const BoundRect rect = BoundingRectangle(record->points);
  *pLeft = rect.left;
  *pTop = rect.top;
  *pRight = rect.right;
  *pBottom = rect.bottom;
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::get_AccessData(CSeSlideDataAccessMode* EffectiveAccessRight,
                                               ISeSlideDataAccessibilityRec** pVal) {
  return EffectiveAccessRight == nullptr || pVal == nullptr ? E_POINTER : S_OK;
}

// Members that would change or filter the records: nothing happens.
STDMETHODIMP ComWSIAnnotations::put_Name(BSTR) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::FilterByCreatorAndDate(VARIANT, VARIANT, IUnknown**) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::get_CreatorListCount(LONG*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::get_CreatorList(LONG, BSTR*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::DeleteData(LONG) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::get_Changed(VARIANT_BOOL*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::Save(LONG) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::DiscardChanges() { return S_OK; }
STDMETHODIMP ComWSIAnnotations::CanChangeData(VARIANT_BOOL*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::ReloadData() { return S_OK; }
STDMETHODIMP ComWSIAnnotations::FilterByBounds(LONG, LONG, LONG, LONG, IUnknown**) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::AddNewData(BSTR, BSTR, LONG, LONG, LONG, LONG, LONG, LONG, BSTR, BSTR, VARIANT, LONG*) {
  return S_OK;
}
STDMETHODIMP ComWSIAnnotations::put_Text(BSTR) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::get_Text(BSTR*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::SetAttributes(VARIANT, BSTR) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::SetBoundRect(LONG, LONG, LONG, LONG) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::GetActivePoint(LONG*, LONG*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::SetActivePoint(LONG, LONG) { return S_OK; }

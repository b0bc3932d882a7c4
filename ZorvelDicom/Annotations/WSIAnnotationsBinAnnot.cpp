// The BinAnnot family of the annotations object: the TMA records as a collection walked by a
// cursor, each record with its identifier, shape, marker geometry and scheme; filters and schemes
// are this object itself. Reports name the source "WSIAnnotations".
#include <oleauto.h>

#include "Annotations/WSIAnnotations.h"
#include "ModuleLog.h"

namespace {

using namespace AnnotationRecords;

constexpr const char16_t* kSource = u"WSIAnnotations";
constexpr int kLineNoRecord = 600;

constexpr SeErrorReporter Report{kSource};

}  // namespace

const TmaRecord* ComWSIAnnotations::CurrentTmaRecord(const char16_t* function) const {
  if (m_cursor < 0 || static_cast<size_t>(m_cursor) >= m_tmaRecords.size()) {
    Report(kLineNoRecord, E_FAIL, function);
    return nullptr;
  }
  return &m_tmaRecords[static_cast<size_t>(m_cursor)];
}

void ComWSIAnnotations::HandOutSelf(REFIID riid, void** out, int line, const char16_t* function) {
  const HRESULT hr = InternalQueryInterface(riid, out);
  if (FAILED(hr)) Report(line, hr, function);
}

HRESULT ComWSIAnnotations::CopyName(BSTR* out, const char16_t* function) const {
  if (out == nullptr) return E_POINTER;
  const TmaRecord* record = CurrentTmaRecord(function);
  if (record == nullptr) return E_FAIL;
  *out = SysAllocStringLen(record->name.data(), static_cast<UINT>(record->name.size()));
  return *out == nullptr ? E_OUTOFMEMORY : S_OK;
}

STDMETHODIMP ComWSIAnnotations::AttachToSlide(IUnknown*) {
  m_cursor = -1;
  return LoadTmaRecords(m_source, m_tmaRecords);
}

STDMETHODIMP ComWSIAnnotations::get_Count(LONG* p_RetVal) {
  if (p_RetVal == nullptr) return E_POINTER;
  *p_RetVal = static_cast<LONG>(m_tmaRecords.size());
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::HasNext(VARIANT_BOOL* p_RetVal) {
  if (p_RetVal == nullptr) return E_POINTER;
  *p_RetVal = int64_t{m_cursor} + 1 < static_cast<int64_t>(m_tmaRecords.size()) ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::ReadNext(IKLVBinAnnotDataBase** p_Data, VARIANT_BOOL* p_RetVal) {
  if (p_Data == nullptr || p_RetVal == nullptr) return E_POINTER;
  if (int64_t{m_cursor} + 1 >= static_cast<int64_t>(m_tmaRecords.size())) {
    *p_RetVal = VARIANT_FALSE;
    return S_OK;
  }
  ++m_cursor;
  *p_RetVal = VARIANT_TRUE;
  HandOutSelf(IID_IKLVBinAnnotDataBase, reinterpret_cast<void**>(p_Data), 528, u"ComWSIAnnotationsImpl::ReadNext");
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::ReadNextN(LONG, SAFEARRAY** p_Data, LONG* p_ReadCount) {
  if (p_Data == nullptr || p_ReadCount == nullptr) return E_POINTER;
  *p_ReadCount = 0;
  return E_NOTIMPL;
}

STDMETHODIMP ComWSIAnnotations::ResetPosition() {
  m_cursor = -1;
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::Filter(IKLVBinAnnotFilterBase*, IKLVBinAnnotProgressCallback*,
                                       IKLVBinAnnotCollectionBase** p_RetVal) {
  if (p_RetVal == nullptr) return E_POINTER;
  HandOutSelf(IID_IKLVBinAnnotCollectionBase, reinterpret_cast<void**>(p_RetVal), 560,
              u"ComWSIAnnotationsImpl::Filter");
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::FindByInstanceGUID(GUID p_GUID, IKLVBinAnnotDataBase** p_Data,
                                                   VARIANT_BOOL* p_RetVal) {
  if (p_Data == nullptr || p_RetVal == nullptr) return E_POINTER;
  *p_RetVal = VARIANT_FALSE;
  const std::string wanted = FormatGuid(p_GUID);
  for (size_t i = 0; i < m_tmaRecords.size(); ++i) {
    if (m_tmaRecords[i].identifier != wanted) continue;
    m_cursor = static_cast<int32_t>(i);
    HandOutSelf(IID_IKLVBinAnnotDataBase, reinterpret_cast<void**>(p_Data), 577,
                u"ComWSIAnnotationsImpl::FindByInstanceGUID");
    *p_RetVal = VARIANT_TRUE;
    break;
  }
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::get_InstanceGUID(GUID* p_RetVal) {
  constexpr const char16_t* kFunction = u"ComWSIAnnotationsImpl::get_InstanceGUID";
  if (p_RetVal == nullptr) return E_POINTER;
  *p_RetVal = GUID{};
  const TmaRecord* record = CurrentTmaRecord(kFunction);
  if (record == nullptr) return E_FAIL;
  if (!ParseGuid(record->identifier, *p_RetVal)) Report(631, E_INVALIDARG, kFunction);
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::get_InnerDiameter(LONG* p_RetVal) {
  if (p_RetVal == nullptr) return E_POINTER;
  const TmaRecord* record = CurrentTmaRecord(u"ComWSIAnnotationsImpl::get_InnerDiameter");
  int32_t outer = 0, inner = 0;
  if (record == nullptr || !TmaDiameters(*record, m_pixelWidth, outer, inner)) return E_FAIL;
  *p_RetVal = inner;
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::get_OuterDiameter(LONG* p_RetVal) {
  if (p_RetVal == nullptr) return E_POINTER;
  const TmaRecord* record = CurrentTmaRecord(u"ComWSIAnnotationsImpl::get_OuterDiameter");
  int32_t outer = 0, inner = 0;
  if (record == nullptr || !TmaDiameters(*record, m_pixelWidth, outer, inner)) return E_FAIL;
  *p_RetVal = outer;
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::GetPoint(LONG* p_X, LONG* p_Y) {
  if (p_X == nullptr || p_Y == nullptr) return E_POINTER;
  const TmaRecord* record = CurrentTmaRecord(u"ComWSIAnnotationsImpl::GetPoint");
  int32_t x = 0, y = 0;
  if (record == nullptr || !TmaCentre(*record, x, y)) return E_FAIL;
  *p_X = x;
  *p_Y = y;
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::get_LineColor(LONG* p_RetVal) {
  if (p_RetVal == nullptr) return E_POINTER;
  const TmaRecord* record = CurrentTmaRecord(u"ComWSIAnnotationsImpl::get_LineColor");
  if (record == nullptr) return E_FAIL;
  *p_RetVal = static_cast<LONG>(record->colour);
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::get_Comment(BSTR* p_RetVal) {
  if (p_RetVal == nullptr) return E_POINTER;
  const TmaRecord* record = CurrentTmaRecord(u"ComWSIAnnotationsImpl::get_Comment");
  if (record == nullptr) return E_FAIL;
  *p_RetVal = SysAllocStringLen(record->comment.data(), static_cast<UINT>(record->comment.size()));
  return *p_RetVal == nullptr ? E_OUTOFMEMORY : S_OK;
}

STDMETHODIMP ComWSIAnnotations::GetScheme(LONG, IKLVBinAnnotDataSchemeBase** p_RetVal) {
  if (p_RetVal == nullptr) return E_POINTER;
  HandOutSelf(IID_IKLVBinAnnotDataSchemeBase, reinterpret_cast<void**>(p_RetVal), 829,
              u"ComWSIAnnotationsImpl::GetScheme");
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::GetKnownScheme(GUID, IKLVBinAnnotDataSchemeBase** p_RetVal) {
  if (p_RetVal == nullptr) return E_POINTER;
  HandOutSelf(IID_IKLVBinAnnotDataSchemeBase, reinterpret_cast<void**>(p_RetVal), 839,
              u"ComWSIAnnotationsImpl::GetKnownScheme");
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::CreateFilter(GUID, IKLVBinAnnotFilterBase** p_RetVal) {
  if (p_RetVal == nullptr) return E_POINTER;
  HandOutSelf(IID_IKLVBinAnnotFilterBase, reinterpret_cast<void**>(p_RetVal), 851,
              u"ComWSIAnnotationsImpl::CreateFilter");
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::get_SchemeCount(LONG* p_RetVal) {
  if (p_RetVal == nullptr) return E_POINTER;
  *p_RetVal = 1;
  return S_OK;
}

STDMETHODIMP ComWSIAnnotations::get_FilterType(GUID* p_RetVal) { return p_RetVal == nullptr ? E_POINTER : S_OK; }

STDMETHODIMP ComWSIAnnotations::GetBounds(LONG* p_Left, LONG* p_Top, LONG* p_Right, LONG* p_Bottom) {
  return p_Left == nullptr || p_Top == nullptr || p_Right == nullptr || p_Bottom == nullptr ? E_POINTER : S_OK;
}

STDMETHODIMP ComWSIAnnotations::GetAttachedData(LONG, IKLVBinAnnotDataBase*** p_RetVal) {
  return p_RetVal == nullptr ? E_POINTER : S_OK;
}

STDMETHODIMP ComWSIAnnotations::SetOriginalInstanceGUID(GUID) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::CreateBinAnnotDataAndShapeByOriginalGUID(IKLVBinAnnotDataSetterBase*,
                                                                         IKLVBinAnnotShapeSetterBase*, GUID,
                                                                         IKLVBinAnnotDataBase**) {
  return E_NOTIMPL;
}

// Members that would create, change or describe more than this object holds: nothing happens.
STDMETHODIMP ComWSIAnnotations::get_TypeGUID(GUID*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::GetTag(LONG, VARIANT*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::GetTags(VARIANT*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::get_Shape(IKLVBinAnnotShapeBase**) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::get_Scheme(IKLVBinAnnotDataSchemeBase**) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::CreateSetterInstance(IKLVBinAnnotDataSetterBase**) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::CreateSetterInstance(IKLVBinAnnotShapeSetterBase**) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::get_SchemeProvider(IKLVBinAnnotSchemeProviderBase**) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::get_FilterProvider(IKLVBinAnnotFilterProviderBase**) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::CreateDataSetterInstance(IKLVBinAnnotDataSchemeBase*, GUID,
                                                         IKLVBinAnnotDataSetterBase**) {
  return S_OK;
}
STDMETHODIMP ComWSIAnnotations::CreateShapeSetterInstance(GUID, IKLVBinAnnotShapeSetterBase**) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::CreateBinAnnotDataAndShape(IKLVBinAnnotDataSetterBase*, IKLVBinAnnotShapeSetterBase*,
                                                           IKLVBinAnnotDataBase**) {
  return S_OK;
}
STDMETHODIMP ComWSIAnnotations::CreateBinAnnotDataWithExistingShape(IKLVBinAnnotDataSetterBase*, IKLVBinAnnotShapeBase*,
                                                                    IKLVBinAnnotDataBase**) {
  return S_OK;
}
STDMETHODIMP ComWSIAnnotations::ModifyBinAnnotData(IKLVBinAnnotDataBase*, IKLVBinAnnotDataSetterBase*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::ModifyBinAnnotDataAndCreateNewShape(IKLVBinAnnotDataBase*, IKLVBinAnnotDataSetterBase*,
                                                                    IKLVBinAnnotShapeSetterBase*) {
  return S_OK;
}
STDMETHODIMP ComWSIAnnotations::ModifyBinAnnotDataAndReplaceShape(IKLVBinAnnotDataBase*, IKLVBinAnnotDataSetterBase*,
                                                                  IKLVBinAnnotShapeBase*) {
  return S_OK;
}
STDMETHODIMP ComWSIAnnotations::RemoveBinAnnotData(IKLVBinAnnotDataBase*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::CommitChanges(IKLVBinAnnotProgressCallback*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::get_AttachedDataCount(LONG*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::AddScheme(IKLVBinAnnotDataSchemeBase*) { return S_OK; }
STDMETHODIMP ComWSIAnnotations::RemoveScheme(IKLVBinAnnotDataSchemeBase*) { return S_OK; }

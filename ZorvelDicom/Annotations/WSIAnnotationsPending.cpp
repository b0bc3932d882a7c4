// Annotation members that are not part of this build yet: each answers E_NOTIMPL.
// The annotation provider replaces them.
#include "Annotations/WSIAnnotations.h"

STDMETHODIMP ComWSIAnnotations::put_Name(BSTR) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_Name(BSTR*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::ConnectToSlide(ISeSlideInOut*, BSTR) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::DisconnectFromSlide(VARIANT_BOOL) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::FilterByCreatorAndDate(VARIANT, VARIANT, IUnknown**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_CreatorListCount(LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_CreatorList(LONG, BSTR*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_DataCount(LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_Data(LONG, IUnknown**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::DeleteData(LONG) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_Changed(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::Save(LONG) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::DiscardChanges() { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::CanChangeData(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::ReloadData() { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::FilterByBounds(LONG, LONG, LONG, LONG, IUnknown**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::AddNewData(BSTR, BSTR, LONG, LONG, LONG, LONG, LONG, LONG, BSTR, BSTR, VARIANT, LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_AccessData(CSeSlideDataAccessMode*, ISeSlideDataAccessibilityRec**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::put_Text(BSTR) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_Text(BSTR*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::GetAttributes(VARIANT*, BSTR*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::SetAttributes(VARIANT, BSTR) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_ObjectGUID(BSTR*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::GetBoundRect(LONG*, LONG*, LONG*, LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::SetBoundRect(LONG, LONG, LONG, LONG) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::GetActivePoint(LONG*, LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::SetActivePoint(LONG, LONG) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::AttachToSlide(IUnknown*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_Count(LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::HasNext(VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::ReadNext(IKLVBinAnnotDataBase**, VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::ReadNextN(LONG, SAFEARRAY**, LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::ResetPosition() { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::Filter(IKLVBinAnnotFilterBase*, IKLVBinAnnotProgressCallback*, IKLVBinAnnotCollectionBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::FindByInstanceGUID(GUID, IKLVBinAnnotDataBase**, VARIANT_BOOL*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_TypeGUID(GUID*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_InstanceGUID(GUID*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::GetTag(LONG, VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::GetTags(VARIANT*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_Shape(IKLVBinAnnotShapeBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_Scheme(IKLVBinAnnotDataSchemeBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::CreateSetterInstance(IKLVBinAnnotDataSetterBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::SetOriginalInstanceGUID(GUID) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_SchemeProvider(IKLVBinAnnotSchemeProviderBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_FilterProvider(IKLVBinAnnotFilterProviderBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::CreateDataSetterInstance(IKLVBinAnnotDataSchemeBase*, GUID, IKLVBinAnnotDataSetterBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::CreateShapeSetterInstance(GUID, IKLVBinAnnotShapeSetterBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::CreateBinAnnotDataAndShape(IKLVBinAnnotDataSetterBase*, IKLVBinAnnotShapeSetterBase*, IKLVBinAnnotDataBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::CreateBinAnnotDataWithExistingShape(IKLVBinAnnotDataSetterBase*, IKLVBinAnnotShapeBase*, IKLVBinAnnotDataBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::ModifyBinAnnotData(IKLVBinAnnotDataBase*, IKLVBinAnnotDataSetterBase*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::ModifyBinAnnotDataAndCreateNewShape(IKLVBinAnnotDataBase*, IKLVBinAnnotDataSetterBase*, IKLVBinAnnotShapeSetterBase*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::ModifyBinAnnotDataAndReplaceShape(IKLVBinAnnotDataBase*, IKLVBinAnnotDataSetterBase*, IKLVBinAnnotShapeBase*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::RemoveBinAnnotData(IKLVBinAnnotDataBase*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::CommitChanges(IKLVBinAnnotProgressCallback*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::CreateBinAnnotDataAndShapeByOriginalGUID(IKLVBinAnnotDataSetterBase*, IKLVBinAnnotShapeSetterBase*, GUID, IKLVBinAnnotDataBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::GetBounds(LONG*, LONG*, LONG*, LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_AttachedDataCount(LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::GetAttachedData(LONG, IKLVBinAnnotDataBase***) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::CreateSetterInstance(IKLVBinAnnotShapeSetterBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_InnerDiameter(LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_OuterDiameter(LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_LineColor(LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_Comment(BSTR*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::GetPoint(LONG*, LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::GetScheme(LONG, IKLVBinAnnotDataSchemeBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::GetKnownScheme(GUID, IKLVBinAnnotDataSchemeBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::CreateFilter(GUID, IKLVBinAnnotFilterBase**) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_FilterType(GUID*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::AddScheme(IKLVBinAnnotDataSchemeBase*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::get_SchemeCount(LONG*) { return E_NOTIMPL; }

STDMETHODIMP ComWSIAnnotations::RemoveScheme(IKLVBinAnnotDataSchemeBase*) { return E_NOTIMPL; }

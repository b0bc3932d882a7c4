// Declarations of the binary-annotation interfaces (IKLVBinAnnot...): providers, collections,
// records, shapes, schemes, filters, setters and the host progress callback.

#include "TypeLibraryDecls.h"

namespace ZorvelTypeLib {

using namespace zplatform::automation;

const InterfaceDecl kIKLVBinAnnotProviderSlideBase = {
    .name = u"IKLVBinAnnotProviderSlideBase",
    .iid = IID_IKLVBinAnnotProviderSlideBase,
    .help = u"IKLVBinAnnotProviderSlideBase Interface",
    .members = {
        method(u"AttachToSlide", 1, call<&IKLVBinAnnotProviderSlideBase::AttachToSlide>,
               {in(u"p_SlideIO", VT_UNKNOWN, &IID_IUnknown)}, u"method AttachToSlide"),
    }};

const InterfaceDecl kIKLVBinAnnotCollectionBase = {
    .name = u"IKLVBinAnnotCollectionBase",
    .iid = IID_IKLVBinAnnotCollectionBase,
    .help = u"IKLVBinAnnotCollectionBase Interface",
    .members = {
        propget(u"Count", 1, call<&IKLVBinAnnotCollectionBase::get_Count>, {retval(u"p_RetVal", VT_I4)},
                u"property Count"),
        method(u"HasNext", 2, call<&IKLVBinAnnotCollectionBase::HasNext>, {retval(u"p_RetVal", VT_BOOL)},
               u"method HasNext"),
        method(u"ReadNext", 3, call<&IKLVBinAnnotCollectionBase::ReadNext>,
               {out(u"p_Data", VT_DISPATCH, &IID_IKLVBinAnnotDataBase), retval(u"p_RetVal", VT_BOOL)},
               u"method ReadNext"),
        method(u"ReadNextN", 4, call<&IKLVBinAnnotCollectionBase::ReadNextN>,
               {in(u"p_CountToRead", VT_I4), out(u"p_Data", VT_ARRAY | VT_DISPATCH), retval(u"p_ReadCount", VT_I4)},
               u"method ReadNextN"),
        method(u"ResetPosition", 5, call<&IKLVBinAnnotCollectionBase::ResetPosition>, {}, u"method ResetPosition"),
        method(u"Filter", 6, call<&IKLVBinAnnotCollectionBase::Filter>,
               {in(u"p_Filter", VT_DISPATCH, &IID_IKLVBinAnnotFilterBase),
                in(u"p_Callback", VT_UNKNOWN, &IID_IKLVBinAnnotProgressCallback),
                retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotCollectionBase)},
               u"method Filter"),
        method(u"FindByInstanceGUID", 7, call<&IKLVBinAnnotCollectionBase::FindByInstanceGUID>,
               {in(u"p_GUID", VT_CLSID), out(u"p_Data", VT_DISPATCH, &IID_IKLVBinAnnotDataBase),
                retval(u"p_RetVal", VT_BOOL)},
               u"method FindByInstanceGUID"),
    }};

const InterfaceDecl kIKLVBinAnnotDataBase = {
    .name = u"IKLVBinAnnotDataBase",
    .iid = IID_IKLVBinAnnotDataBase,
    .help = u"IKLVBinAnnotDataBase Interface",
    .members = {
        propget(u"TypeGUID", 1, call<&IKLVBinAnnotDataBase::get_TypeGUID>, {retval(u"p_RetVal", VT_CLSID)},
                u"property TypeGUID"),
        propget(u"InstanceGUID", 2, call<&IKLVBinAnnotDataBase::get_InstanceGUID>, {retval(u"p_RetVal", VT_CLSID)},
                u"property InstanceGUID"),
        method(u"GetTag", 3, call<&IKLVBinAnnotDataBase::GetTag>,
               {in(u"p_TagID", VT_I4), retval(u"p_RetVal", VT_VARIANT)}, u"method GetTag"),
        method(u"GetTags", 4, call<&IKLVBinAnnotDataBase::GetTags>, {retval(u"p_RetVal", VT_VARIANT)},
               u"method GetTags"),
        propget(u"Shape", 5, call<&IKLVBinAnnotDataBase::get_Shape>,
                {retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotShapeBase)}, u"method Shape"),
        propget(u"Scheme", 6, call<&IKLVBinAnnotDataBase::get_Scheme>,
                {retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotDataSchemeBase)}, u"method Scheme"),
        propget(u"Changed", 7, call<&IKLVBinAnnotDataBase::get_Changed>, {retval(u"p_RetVal", VT_BOOL)},
                u"property Changed"),
        method(u"CreateSetterInstance", 8, call<&IKLVBinAnnotDataBase::CreateSetterInstance>,
               {retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotDataSetterBase)}, u"method CreateSetterInstance"),
    }};

const InterfaceDecl kIKLVBinAnnotShapeBase = {
    .name = u"IKLVBinAnnotShapeBase",
    .iid = IID_IKLVBinAnnotShapeBase,
    .help = u"IKLVBinAnnotShapeBase Interface",
    .members = {
        propget(u"TypeGUID", 1, call<&IKLVBinAnnotShapeBase::get_TypeGUID>, {retval(u"p_RetVal", VT_CLSID)},
                u"property TypeGUID"),
        propget(u"InstanceGUID", 2, call<&IKLVBinAnnotShapeBase::get_InstanceGUID>, {retval(u"p_RetVal", VT_CLSID)},
                u"property InstanceGUID"),
        method(u"GetBounds", 3, call<&IKLVBinAnnotShapeBase::GetBounds>,
               {out(u"p_Left", VT_I4), out(u"p_Top", VT_I4), out(u"p_Right", VT_I4), out(u"p_Bottom", VT_I4)},
               u"method GetBounds"),
        method(u"GetTag", 4, call<&IKLVBinAnnotShapeBase::GetTag>,
               {in(u"p_TagID", VT_I4), retval(u"p_RetVal", VT_VARIANT)}, u"method GetTag"),
        method(u"GetTags", 5, call<&IKLVBinAnnotShapeBase::GetTags>, {retval(u"p_RetVal", VT_VARIANT)},
               u"method GetTags"),
        propget(u"AttachedDataCount", 6, call<&IKLVBinAnnotShapeBase::get_AttachedDataCount>,
                {retval(u"p_RetVal", VT_I4)}, u"property AttachedDataCount"),
        method(u"GetAttachedData", 7, call<&IKLVBinAnnotShapeBase::GetAttachedData>,
               {in(u"p_Index", VT_I4), retval(u"p_RetVal", VT_PTR, &IID_IKLVBinAnnotDataBase)},
               u"method GetAttachedData"),
        method(u"CreateSetterInstance", 8, call<&IKLVBinAnnotShapeBase::CreateSetterInstance>,
               {retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotShapeSetterBase)}, u"method CreateSetterInstance"),
    }};

const InterfaceDecl kIKLVBinAnnotShapeSetterBase = {
    .name = u"IKLVBinAnnotShapeSetterBase",
    .iid = IID_IKLVBinAnnotShapeSetterBase,
    .help = u"IKLVBinAnnotShapeSetterBase Interface",
    .members = {
        propget(u"TypeGUID", 1, call<&IKLVBinAnnotShapeSetterBase::get_TypeGUID>, {retval(u"p_RetVal", VT_CLSID)},
                u"property TypeGUID"),
        method(u"GetTag", 2, call<&IKLVBinAnnotShapeSetterBase::GetTag>,
               {in(u"p_TagID", VT_I4), retval(u"p_RetVal", VT_VARIANT)}, u"method GetTag"),
        method(u"GetTags", 3, call<&IKLVBinAnnotShapeSetterBase::GetTags>, {retval(u"p_RetVal", VT_VARIANT)},
               u"method GetTags"),
        method(u"SetTag", 4, call<&IKLVBinAnnotShapeSetterBase::SetTag>,
               {in(u"p_TagID", VT_I4), in(u"p_NewVal", VT_VARIANT)}, u"method SetTag"),
        method(u"SetTags", 5, call<&IKLVBinAnnotShapeSetterBase::SetTags>, {in(u"p_NewVal", VT_VARIANT)},
               u"method SetTags"),
        method(u"ClearData", 6, call<&IKLVBinAnnotShapeSetterBase::ClearData>, {}, u"method ClearData"),
    }};

const InterfaceDecl kIKLVBinAnnotDataSchemeBase = {
    .name = u"IKLVBinAnnotDataSchemeBase",
    .iid = IID_IKLVBinAnnotDataSchemeBase,
    .help = u"IKLVBinAnnotDataSchemeBase Interface",
    .members = {
        propget(u"TypeGUID", 1, call<&IKLVBinAnnotDataSchemeBase::get_TypeGUID>, {retval(u"p_RetVal", VT_CLSID)},
                u"property TypeGUID"),
        propget(u"Name", 2, call<&IKLVBinAnnotDataSchemeBase::get_Name>, {retval(u"p_RetVal", VT_BSTR)},
                u"property Name"),
    }};

const InterfaceDecl kIKLVBinAnnotDataSetterBase = {
    .name = u"IKLVBinAnnotDataSetterBase",
    .iid = IID_IKLVBinAnnotDataSetterBase,
    .help = u"IKLVBinAnnotDataSetterBase Interface",
    .members = {
        propget(u"TypeGUID", 1, call<&IKLVBinAnnotDataSetterBase::get_TypeGUID>, {retval(u"p_RetVal", VT_CLSID)},
                u"property TypeGUID"),
        propget(u"Scheme", 2, call<&IKLVBinAnnotDataSetterBase::get_Scheme>,
                {retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotDataSchemeBase)}, u"method Scheme"),
        method(u"GetTag", 3, call<&IKLVBinAnnotDataSetterBase::GetTag>,
               {in(u"p_TagID", VT_I4), retval(u"p_RetVal", VT_VARIANT)}, u"method GetTag"),
        method(u"GetTags", 4, call<&IKLVBinAnnotDataSetterBase::GetTags>, {retval(u"p_RetVal", VT_VARIANT)},
               u"method GetTags"),
        method(u"SetTag", 5, call<&IKLVBinAnnotDataSetterBase::SetTag>,
               {in(u"p_TagID", VT_I4), in(u"p_NewVal", VT_VARIANT)}, u"method SetTag"),
        method(u"SetTags", 6, call<&IKLVBinAnnotDataSetterBase::SetTags>, {in(u"p_NewVal", VT_VARIANT)},
               u"method SetTags"),
        method(u"ClearData", 7, call<&IKLVBinAnnotDataSetterBase::ClearData>, {}, u"method ClearData"),
    }};

const InterfaceDecl kIKLVBinAnnotFilterBase = {
    .name = u"IKLVBinAnnotFilterBase",
    .iid = IID_IKLVBinAnnotFilterBase,
    .help = u"IKLVBinAnnotFilterBase Interface",
    .members = {
        propget(u"FilterType", 1, call<&IKLVBinAnnotFilterBase::get_FilterType>, {retval(u"p_RetVal", VT_CLSID)},
                u"property FilterType"),
        method(u"AddScheme", 2, call<&IKLVBinAnnotFilterBase::AddScheme>,
               {in(u"p_Scheme", VT_DISPATCH, &IID_IKLVBinAnnotDataSchemeBase)}, u"method AddScheme"),
        propget(u"SchemeCount", 3, call<&IKLVBinAnnotFilterBase::get_SchemeCount>, {retval(u"p_RetVal", VT_I4)},
                u"property SchemeCount"),
        method(u"GetScheme", 4, call<&IKLVBinAnnotFilterBase::GetScheme>,
               {in(u"p_Index", VT_I4), retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotDataSchemeBase)},
               u"method GetScheme"),
        method(u"RemoveScheme", 5, call<&IKLVBinAnnotFilterBase::RemoveScheme>,
               {in(u"p_Scheme", VT_DISPATCH, &IID_IKLVBinAnnotDataSchemeBase)}, u"method RemoveScheme"),
    }};

const InterfaceDecl kIKLVBinAnnotProgressCallback = {
    .name = u"IKLVBinAnnotProgressCallback",
    .iid = IID_IKLVBinAnnotProgressCallback,
    .help = u"IKLVBinAnnotProgressCallback Interface",
    .typeFlags = 0,
    .members = {
        method(u"OnOverallStarted", 1, call<&IKLVBinAnnotProgressCallback::OnOverallStarted>,
               {retval(u"p_Cancel", VT_BOOL)}, u"method OnOverallStarted"),
        method(u"OnPhaseStarted", 2, call<&IKLVBinAnnotProgressCallback::OnPhaseStarted>,
               {in(u"p_NumberOfTotalPhases", VT_I4), in(u"p_CurrentPhase", VT_I4), in(u"p_CurrentPhaseDesc", VT_BSTR),
                retval(u"p_Cancel", VT_BOOL)},
               u"method OnPhaseStarted"),
        method(u"OnProgress", 3, call<&IKLVBinAnnotProgressCallback::OnProgress>,
               {in(u"p_OverallProgress", VT_R8), in(u"p_NumberOfTotalPhases", VT_I4), in(u"p_CurrentPhase", VT_I4),
                in(u"p_CurrentPhaseDesc", VT_BSTR), in(u"p_PhaseProgress", VT_R8), retval(u"p_Cancel", VT_BOOL)},
               u"method OnProgress"),
        method(u"OnPhaseFinished", 4, call<&IKLVBinAnnotProgressCallback::OnPhaseFinished>,
               {in(u"p_NumberOfTotalPhases", VT_I4), in(u"p_CurrentPhase", VT_I4), in(u"p_CurrentPhaseDesc", VT_BSTR),
                retval(u"p_Cancel", VT_BOOL)},
               u"method OnPhaseFinished"),
        method(u"OnOverallFinished", 5, call<&IKLVBinAnnotProgressCallback::OnOverallFinished>, {},
               u"method OnOverallFinished"),
    }};

const InterfaceDecl kIKLVBinAnnotDataBaseEx = {
    .name = u"IKLVBinAnnotDataBaseEx",
    .iid = IID_IKLVBinAnnotDataBaseEx,
    .help = u"IKLVBinAnnotDataBaseEx Interface",
    .base = &kIKLVBinAnnotDataBase,
    .members = {
        method(u"SetOriginalInstanceGUID", 9, call<&IKLVBinAnnotDataBaseEx::SetOriginalInstanceGUID>,
               {in(u"p_OriginalInstanceGUID", VT_CLSID)}, u"method SetOriginalInstanceGUID"),
    }};

const InterfaceDecl kIKLVBinAnnotProviderBase = {
    .name = u"IKLVBinAnnotProviderBase",
    .iid = IID_IKLVBinAnnotProviderBase,
    .help = u"IKLVBinAnnotProviderBase Interface",
    .members = {
        propget(u"SchemeProvider", 1, call<&IKLVBinAnnotProviderBase::get_SchemeProvider>,
                {retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotSchemeProviderBase)}, u"property SchemeProvider"),
        propget(u"FilterProvider", 2, call<&IKLVBinAnnotProviderBase::get_FilterProvider>,
                {retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotFilterProviderBase)}, u"property FilterProvider"),
        method(u"CreateDataSetterInstance", 3, call<&IKLVBinAnnotProviderBase::CreateDataSetterInstance>,
               {in(u"p_Scheme", VT_DISPATCH, &IID_IKLVBinAnnotDataSchemeBase), in(u"p_DataTypeGUID", VT_CLSID),
                retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotDataSetterBase)},
               u"method CreateDataSetterInstance"),
        method(u"CreateShapeSetterInstance", 4, call<&IKLVBinAnnotProviderBase::CreateShapeSetterInstance>,
               {in(u"p_ShapeTypeGUID", VT_CLSID), retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotShapeSetterBase)},
               u"method CreateShapeSetterInstance"),
        method(u"CreateBinAnnotDataAndShape", 5, call<&IKLVBinAnnotProviderBase::CreateBinAnnotDataAndShape>,
               {in(u"p_DataSetter", VT_DISPATCH, &IID_IKLVBinAnnotDataSetterBase),
                in(u"p_ShapeSetter", VT_DISPATCH, &IID_IKLVBinAnnotShapeSetterBase),
                retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotDataBase)},
               u"method CreateBinAnnotDataAndShape"),
        method(u"CreateBinAnnotDataWithExistingShape", 6,
               call<&IKLVBinAnnotProviderBase::CreateBinAnnotDataWithExistingShape>,
               {in(u"p_DataSetter", VT_DISPATCH, &IID_IKLVBinAnnotDataSetterBase),
                in(u"p_Shape", VT_DISPATCH, &IID_IKLVBinAnnotShapeBase),
                retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotDataBase)},
               u"method CreateBinAnnotDataWithExistingShape"),
        method(u"ModifyBinAnnotData", 7, call<&IKLVBinAnnotProviderBase::ModifyBinAnnotData>,
               {in(u"p_BinAnnotDataBaseToModify", VT_DISPATCH, &IID_IKLVBinAnnotDataBase),
                in(u"p_DataSetter", VT_DISPATCH, &IID_IKLVBinAnnotDataSetterBase)},
               u"method ModifyBinAnnotData"),
        method(u"ModifyBinAnnotDataAndCreateNewShape", 8,
               call<&IKLVBinAnnotProviderBase::ModifyBinAnnotDataAndCreateNewShape>,
               {in(u"p_BinAnnotDataBaseToModify", VT_DISPATCH, &IID_IKLVBinAnnotDataBase),
                in(u"p_DataSetter", VT_DISPATCH, &IID_IKLVBinAnnotDataSetterBase),
                in(u"p_ShapeSetter", VT_DISPATCH, &IID_IKLVBinAnnotShapeSetterBase)},
               u"method ModifyBinAnnotDataAndCreateNewShape"),
        method(u"ModifyBinAnnotDataAndReplaceShape", 9,
               call<&IKLVBinAnnotProviderBase::ModifyBinAnnotDataAndReplaceShape>,
               {in(u"p_BinAnnotDataBaseToModify", VT_DISPATCH, &IID_IKLVBinAnnotDataBase),
                in(u"p_DataSetter", VT_DISPATCH, &IID_IKLVBinAnnotDataSetterBase),
                in(u"p_ReplacementShape", VT_DISPATCH, &IID_IKLVBinAnnotShapeBase)},
               u"method ModifyBinAnnotDataAndReplaceShape"),
        method(u"RemoveBinAnnotData", 10, call<&IKLVBinAnnotProviderBase::RemoveBinAnnotData>,
               {in(u"p_BinAnnotDataBaseToRemove", VT_DISPATCH, &IID_IKLVBinAnnotDataBase)},
               u"method RemoveBinAnnotData"),
        method(u"CommitChanges", 11, call<&IKLVBinAnnotProviderBase::CommitChanges>,
               {in(u"p_Callback", VT_UNKNOWN, &IID_IKLVBinAnnotProgressCallback)}, u"method CommitChanges"),
        method(u"Filter", 12, call<&IKLVBinAnnotProviderBase::Filter>,
               {in(u"p_Filter", VT_DISPATCH, &IID_IKLVBinAnnotFilterBase),
                in(u"p_Callback", VT_UNKNOWN, &IID_IKLVBinAnnotProgressCallback),
                retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotCollectionBase)},
               u"method Filter"),
    }};

const InterfaceDecl kIKLVBinAnnotSchemeProviderBase = {
    .name = u"IKLVBinAnnotSchemeProviderBase",
    .iid = IID_IKLVBinAnnotSchemeProviderBase,
    .help = u"IKLVBinAnnotSchemeProviderBase Interface",
    .members = {
        propget(u"Count", 1, call<&IKLVBinAnnotSchemeProviderBase::get_Count>, {retval(u"p_RetVal", VT_I4)},
                u"property Count"),
        method(u"GetScheme", 2, call<&IKLVBinAnnotSchemeProviderBase::GetScheme>,
               {in(u"p_Index", VT_I4), retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotDataSchemeBase)},
               u"method GetScheme"),
        method(u"GetKnownScheme", 3, call<&IKLVBinAnnotSchemeProviderBase::GetKnownScheme>,
               {in(u"p_SchemeID", VT_CLSID), retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotDataSchemeBase)},
               u"method GetKnownScheme"),
    }};

const InterfaceDecl kIKLVBinAnnotFilterProviderBase = {
    .name = u"IKLVBinAnnotFilterProviderBase",
    .iid = IID_IKLVBinAnnotFilterProviderBase,
    .help = u"IKLVBinAnnotFilterProviderBase Interface",
    .members = {
        method(u"CreateFilter", 1, call<&IKLVBinAnnotFilterProviderBase::CreateFilter>,
               {in(u"p_FilterType", VT_CLSID), retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotFilterBase)},
               u"method CreateFilter"),
    }};

const InterfaceDecl kIKLVBinAnnotProviderBaseEx = {
    .name = u"IKLVBinAnnotProviderBaseEx",
    .iid = IID_IKLVBinAnnotProviderBaseEx,
    .help = u"IKLVBinAnnotProviderBaseEx Interface",
    .base = &kIKLVBinAnnotProviderBase,
    .members = {
        method(u"CreateBinAnnotDataAndShapeByOriginalGUID", 13,
               call<&IKLVBinAnnotProviderBaseEx::CreateBinAnnotDataAndShapeByOriginalGUID>,
               {in(u"p_DataSetter", VT_DISPATCH, &IID_IKLVBinAnnotDataSetterBase),
                in(u"p_ShapeSetter", VT_DISPATCH, &IID_IKLVBinAnnotShapeSetterBase), in(u"p_OriginalGUID", VT_CLSID),
                retval(u"p_RetVal", VT_DISPATCH, &IID_IKLVBinAnnotDataBase)},
               u"method CreateBinAnnotDataAndShapeByOriginalGUID"),
    }};

const InterfaceDecl kIKLVBinAnnotGetterTMAMarker1 = {
    .name = u"IKLVBinAnnotGetterTMAMarker1",
    .iid = IID_IKLVBinAnnotGetterTMAMarker1,
    .help = u"IKLVBinAnnotGetterTMAMarker1 Interface",
    .members = {
        propget(u"InnerDiameter", 1, call<&IKLVBinAnnotGetterTMAMarker1::get_InnerDiameter>,
                {retval(u"p_RetVal", VT_I4)}, u"method InnerDiameter"),
        propget(u"OuterDiameter", 2, call<&IKLVBinAnnotGetterTMAMarker1::get_OuterDiameter>,
                {retval(u"p_RetVal", VT_I4)}, u"method OuterDiameter"),
        propget(u"LineColor", 3, call<&IKLVBinAnnotGetterTMAMarker1::get_LineColor>, {retval(u"p_RetVal", VT_I4)},
                u"method LineColor"),
        propget(u"Name", 4, call<&IKLVBinAnnotGetterTMAMarker1::get_Name>, {retval(u"p_RetVal", VT_BSTR)},
                u"method Name"),
        propget(u"Comment", 5, call<&IKLVBinAnnotGetterTMAMarker1::get_Comment>, {retval(u"p_RetVal", VT_BSTR)},
                u"method Comment"),
    }};

const InterfaceDecl kIKLVBinAnnotGetterShapePoint1 = {
    .name = u"IKLVBinAnnotGetterShapePoint1",
    .iid = IID_IKLVBinAnnotGetterShapePoint1,
    .help = u"IKLVBinAnnotGetterShapePoint1 Interface",
    .members = {
        method(u"GetPoint", 1, call<&IKLVBinAnnotGetterShapePoint1::GetPoint>, {out(u"p_X", VT_I4), out(u"p_Y", VT_I4)},
               u"method GetPoint"),
    }};

}  // namespace ZorvelTypeLib

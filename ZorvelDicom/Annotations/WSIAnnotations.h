// ComWSIAnnotations, the creatable annotations class WSIAnnotations: the seventeen interfaces it
// answers, each dual one with IDispatch served from the type library, and the free-threaded marshaler.
// Free-threaded through the marshaler, without locks: loads and reads must not overlap on one object.
// One object plays every role (collection, record, shape, scheme, filter); read-only.
#pragma once

#include <cstdint>
#include <vector>

#include <WSIAnnotations.h>
#include <ZorvelDicom/ZorvelDicom.h>
#include <TypeLibrary.h>

#include "Annotations/AnnotationRecords.h"
#include "Com/ComObject.h"

template <class Interface, const IID& Iid>
using AnnotationDispatch = zplatform::automation::DispatchImpl<Interface, ZorvelTypeLib::kZORVELDICOMLib, Iid>;

class ComWSIAnnotations : public ZorvelCom::ComObjectRoot,
                          public AnnotationDispatch<ISeSlideFlagProvider, IID_ISeSlideFlagProvider>,
                          public AnnotationDispatch<IKLVBinAnnotProviderSlideBase, IID_IKLVBinAnnotProviderSlideBase>,
                          public AnnotationDispatch<IKLVBinAnnotCollectionBase, IID_IKLVBinAnnotCollectionBase>,
                          public AnnotationDispatch<IKLVBinAnnotDataBaseEx, IID_IKLVBinAnnotDataBaseEx>,
                          public AnnotationDispatch<IKLVBinAnnotProviderBaseEx, IID_IKLVBinAnnotProviderBaseEx>,
                          public AnnotationDispatch<IKLVBinAnnotShapeBase, IID_IKLVBinAnnotShapeBase>,
                          public AnnotationDispatch<IKLVBinAnnotGetterTMAMarker1, IID_IKLVBinAnnotGetterTMAMarker1>,
                          public AnnotationDispatch<IKLVBinAnnotGetterShapePoint1, IID_IKLVBinAnnotGetterShapePoint1>,
                          public AnnotationDispatch<IKLVBinAnnotSchemeProviderBase, IID_IKLVBinAnnotSchemeProviderBase>,
                          public AnnotationDispatch<IKLVBinAnnotDataSchemeBase, IID_IKLVBinAnnotDataSchemeBase>,
                          public AnnotationDispatch<IKLVBinAnnotFilterProviderBase, IID_IKLVBinAnnotFilterProviderBase>,
                          public AnnotationDispatch<IKLVBinAnnotFilterBase, IID_IKLVBinAnnotFilterBase>,
                          public ISeSlideFlagDataRec {
 public:
  IUnknown* GetIdentityUnknown() { return static_cast<ISeSlideFlagProvider*>(this); }
  HRESULT InternalQueryInterface(REFIID riid, void** ppv);

  HRESULT FinalConstruct();
  void FinalRelease();

  // A new object holding a copy of a slide's annotations and its pixel size in micrometres.
  static HRESULT CreateBound(const CWSIAnnotations& source, double pixelWidth, double pixelHeight,
                             ISeSlideFlagProvider** out);

  // ISeSlideDataProvider
  STDMETHOD(put_Name)(BSTR value) override;
  STDMETHOD(get_Name)(BSTR* pVal) override;
  STDMETHOD(ConnectToSlide)(ISeSlideInOut* Slide, BSTR UserGUID) override;
  STDMETHOD(DisconnectFromSlide)(VARIANT_BOOL SaveChanges) override;
  STDMETHOD(FilterByCreatorAndDate)(VARIANT CreatorGUIDList, VARIANT DateTime, IUnknown** pFilteredData) override;
  STDMETHOD(get_CreatorListCount)(LONG* pVal) override;
  STDMETHOD(get_CreatorList)(LONG Index, BSTR* pVal) override;
  STDMETHOD(get_DataCount)(LONG* pVal) override;
  STDMETHOD(get_Data)(LONG Index, IUnknown** pVal) override;
  STDMETHOD(DeleteData)(LONG Index) override;
  STDMETHOD(get_Changed)(VARIANT_BOOL* pVal) override;
  STDMETHOD(Save)(LONG AccessTimeOut) override;
  STDMETHOD(DiscardChanges)() override;
  STDMETHOD(CanChangeData)(VARIANT_BOOL* pVal) override;
  STDMETHOD(ReloadData)() override;
  // ISeSlideFlagProvider
  STDMETHOD(FilterByBounds)(LONG Left, LONG Top, LONG Right, LONG Bottom, IUnknown** pFilteredData) override;
  STDMETHOD(AddNewData)(BSTR CreatorGUID, BSTR ObjectGUID, LONG brLeft, LONG brTop, LONG brRight, LONG brBottom, LONG apX, LONG apY, BSTR Text, BSTR AttribType, VARIANT AttribData, LONG* pIndex) override;
  // ISeSlideDataRec
  STDMETHOD(get_AccessData)(CSeSlideDataAccessMode* EffectiveAccessRight, ISeSlideDataAccessibilityRec** pVal) override;
  STDMETHOD(put_Text)(BSTR value) override;
  STDMETHOD(get_Text)(BSTR* pVal) override;
  STDMETHOD(GetAttributes)(VARIANT* pAttributes, BSTR* pType) override;
  STDMETHOD(SetAttributes)(VARIANT NewVal, BSTR Type) override;
  STDMETHOD(get_ObjectGUID)(BSTR* pVal) override;
  // ISeSlideFlagDataRec
  STDMETHOD(GetBoundRect)(LONG* pLeft, LONG* pTop, LONG* pRight, LONG* pBottom) override;
  STDMETHOD(SetBoundRect)(LONG Left, LONG Top, LONG Right, LONG Bottom) override;
  STDMETHOD(GetActivePoint)(LONG* pX, LONG* pY) override;
  STDMETHOD(SetActivePoint)(LONG x, LONG y) override;
  // IKLVBinAnnotProviderSlideBase
  STDMETHOD(AttachToSlide)(IUnknown* p_SlideIO) override;
  // IKLVBinAnnotCollectionBase
  STDMETHOD(get_Count)(LONG* p_RetVal) override;
  STDMETHOD(HasNext)(VARIANT_BOOL* p_RetVal) override;
  STDMETHOD(ReadNext)(IKLVBinAnnotDataBase** p_Data, VARIANT_BOOL* p_RetVal) override;
  STDMETHOD(ReadNextN)(LONG p_CountToRead, SAFEARRAY** p_Data, LONG* p_ReadCount) override;
  STDMETHOD(ResetPosition)() override;
  STDMETHOD(Filter)(IKLVBinAnnotFilterBase* p_Filter, IKLVBinAnnotProgressCallback* p_Callback, IKLVBinAnnotCollectionBase** p_RetVal) override;
  STDMETHOD(FindByInstanceGUID)(GUID p_GUID, IKLVBinAnnotDataBase** p_Data, VARIANT_BOOL* p_RetVal) override;
  // IKLVBinAnnotDataBase
  STDMETHOD(get_TypeGUID)(GUID* p_RetVal) override;
  STDMETHOD(get_InstanceGUID)(GUID* p_RetVal) override;
  STDMETHOD(GetTag)(LONG p_TagID, VARIANT* p_RetVal) override;
  STDMETHOD(GetTags)(VARIANT* p_RetVal) override;
  STDMETHOD(get_Shape)(IKLVBinAnnotShapeBase** p_RetVal) override;
  STDMETHOD(get_Scheme)(IKLVBinAnnotDataSchemeBase** p_RetVal) override;
  //   get_Changed: shared with the declaration above
  STDMETHOD(CreateSetterInstance)(IKLVBinAnnotDataSetterBase** p_RetVal) override;
  // IKLVBinAnnotDataBaseEx
  STDMETHOD(SetOriginalInstanceGUID)(GUID p_OriginalInstanceGUID) override;
  // IKLVBinAnnotProviderBase
  STDMETHOD(get_SchemeProvider)(IKLVBinAnnotSchemeProviderBase** p_RetVal) override;
  STDMETHOD(get_FilterProvider)(IKLVBinAnnotFilterProviderBase** p_RetVal) override;
  STDMETHOD(CreateDataSetterInstance)(IKLVBinAnnotDataSchemeBase* p_Scheme, GUID p_DataTypeGUID, IKLVBinAnnotDataSetterBase** p_RetVal) override;
  STDMETHOD(CreateShapeSetterInstance)(GUID p_ShapeTypeGUID, IKLVBinAnnotShapeSetterBase** p_RetVal) override;
  STDMETHOD(CreateBinAnnotDataAndShape)(IKLVBinAnnotDataSetterBase* p_DataSetter, IKLVBinAnnotShapeSetterBase* p_ShapeSetter, IKLVBinAnnotDataBase** p_RetVal) override;
  STDMETHOD(CreateBinAnnotDataWithExistingShape)(IKLVBinAnnotDataSetterBase* p_DataSetter, IKLVBinAnnotShapeBase* p_Shape, IKLVBinAnnotDataBase** p_RetVal) override;
  STDMETHOD(ModifyBinAnnotData)(IKLVBinAnnotDataBase* p_BinAnnotDataBaseToModify, IKLVBinAnnotDataSetterBase* p_DataSetter) override;
  STDMETHOD(ModifyBinAnnotDataAndCreateNewShape)(IKLVBinAnnotDataBase* p_BinAnnotDataBaseToModify, IKLVBinAnnotDataSetterBase* p_DataSetter, IKLVBinAnnotShapeSetterBase* p_ShapeSetter) override;
  STDMETHOD(ModifyBinAnnotDataAndReplaceShape)(IKLVBinAnnotDataBase* p_BinAnnotDataBaseToModify, IKLVBinAnnotDataSetterBase* p_DataSetter, IKLVBinAnnotShapeBase* p_ReplacementShape) override;
  STDMETHOD(RemoveBinAnnotData)(IKLVBinAnnotDataBase* p_BinAnnotDataBaseToRemove) override;
  STDMETHOD(CommitChanges)(IKLVBinAnnotProgressCallback* p_Callback) override;
  //   Filter: shared with the declaration above
  // IKLVBinAnnotProviderBaseEx
  STDMETHOD(CreateBinAnnotDataAndShapeByOriginalGUID)(IKLVBinAnnotDataSetterBase* p_DataSetter, IKLVBinAnnotShapeSetterBase* p_ShapeSetter, GUID p_OriginalGUID, IKLVBinAnnotDataBase** p_RetVal) override;
  // IKLVBinAnnotShapeBase
  //   get_TypeGUID: shared with the declaration above
  //   get_InstanceGUID: shared with the declaration above
  STDMETHOD(GetBounds)(LONG* p_Left, LONG* p_Top, LONG* p_Right, LONG* p_Bottom) override;
  //   GetTag: shared with the declaration above
  //   GetTags: shared with the declaration above
  STDMETHOD(get_AttachedDataCount)(LONG* p_RetVal) override;
  STDMETHOD(GetAttachedData)(LONG p_Index, IKLVBinAnnotDataBase*** p_RetVal) override;
  STDMETHOD(CreateSetterInstance)(IKLVBinAnnotShapeSetterBase** p_RetVal) override;
  // IKLVBinAnnotGetterTMAMarker1
  STDMETHOD(get_InnerDiameter)(LONG* p_RetVal) override;
  STDMETHOD(get_OuterDiameter)(LONG* p_RetVal) override;
  STDMETHOD(get_LineColor)(LONG* p_RetVal) override;
  //   get_Name: shared with the declaration above
  STDMETHOD(get_Comment)(BSTR* p_RetVal) override;
  // IKLVBinAnnotGetterShapePoint1
  STDMETHOD(GetPoint)(LONG* p_X, LONG* p_Y) override;
  // IKLVBinAnnotSchemeProviderBase
  //   get_Count: shared with the declaration above
  STDMETHOD(GetScheme)(LONG p_Index, IKLVBinAnnotDataSchemeBase** p_RetVal) override;
  STDMETHOD(GetKnownScheme)(GUID p_SchemeID, IKLVBinAnnotDataSchemeBase** p_RetVal) override;
  // IKLVBinAnnotDataSchemeBase
  //   get_TypeGUID: shared with the declaration above
  //   get_Name: shared with the declaration above
  // IKLVBinAnnotFilterProviderBase
  STDMETHOD(CreateFilter)(GUID p_FilterType, IKLVBinAnnotFilterBase** p_RetVal) override;
  // IKLVBinAnnotFilterBase
  STDMETHOD(get_FilterType)(GUID* p_RetVal) override;
  STDMETHOD(AddScheme)(IKLVBinAnnotDataSchemeBase* p_Scheme) override;
  STDMETHOD(get_SchemeCount)(LONG* p_RetVal) override;
  //   GetScheme: shared with the declaration above
  STDMETHOD(RemoveScheme)(IKLVBinAnnotDataSchemeBase* p_Scheme) override;

 protected:
  ComWSIAnnotations() = default;
  ~ComWSIAnnotations() = default;

 private:
  void* AnswerFor(REFIID riid);
  // The record at the flag index or the cursor; null (reported) when none is there.
  const AnnotationRecords::FlagRecord* CurrentFlagRecord(const char16_t* function) const;
  const AnnotationRecords::TmaRecord* CurrentTmaRecord(const char16_t* function) const;
  // This object as `riid` into *out; a failed query is logged with `line` and `function` and not returned.
  void HandOutSelf(REFIID riid, void** out, int line, const char16_t* function);
  HRESULT CopyName(BSTR* out, const char16_t* function) const;

  IUnknown* m_pUnkMarshaler = nullptr;  // owned: the aggregated free-threaded marshaler
  double m_pixelWidth = 0;              // micrometres per pixel in x
  double m_pixelHeight = 0;             // micrometres per pixel in y
  int32_t m_flagIndex = -1;             // current flag record, set by get_Data
  CWSIAnnotations m_source;             // the slide's annotations (empty unless bound)
  std::vector<AnnotationRecords::FlagRecord> m_flagRecords;
  int32_t m_cursor = -1;                // current TMA record; -1 before the first
  std::vector<AnnotationRecords::TmaRecord> m_tmaRecords;
};

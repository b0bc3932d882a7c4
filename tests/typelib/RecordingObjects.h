// Objects that implement every ZORVELDICOMLib interface trivially: each method records its own
// name, so a test can see which C++ method a late-bound call reached. Dual interfaces serve
// IDispatch from the library's declarations; owned by std::unique_ptr, reference counts only count.
#pragma once

#include <ZorvelDicom/ZorvelDicom.h>

#include <memory>
#include <string>
#include <type_traits>

#include "TypeLibrary.h"

namespace typelib_test {

struct Recording {
  virtual ~Recording() = default;
  virtual IUnknown* Object() = 0;
  std::string lastCall;  // name of the C++ method reached last
  int calls = 0;
};

template <class Interface, const IID& Iid>
class Recorder : public Interface, public Recording {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    const bool dispatch = std::is_base_of_v<IDispatch, Interface> && IsEqualIID(riid, IID_IDispatch);
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, Iid) && !dispatch) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  STDMETHODIMP_(ULONG) Release() override { return --references_; }
  IUnknown* Object() override { return static_cast<Interface*>(this); }

 protected:
  HRESULT Record(const char* method) {
    lastCall = method;
    ++calls;
    return S_OK;
  }

 private:
  ULONG references_ = 1;
};

template <class Interface, const IID& Iid>
using DualRecorder = Recorder<zplatform::automation::DispatchImpl<Interface, ZorvelTypeLib::kZORVELDICOMLib, Iid>, Iid>;

// Declares an override that records the method's name.
#define RECORDS(method, ...) \
  STDMETHODIMP method(__VA_ARGS__) override { return this->Record(#method); }

template <class Base>
class IKLVZorvelCalls : public Base {
 public:
  RECORDS(OpenSlide, BSTR)
  RECORDS(GetSlidePropertyTags, VARIANT*, VARIANT*, VARIANT*)
  RECORDS(GetSlideProperties, LONG, VARIANT*)
  RECORDS(GetChannelPropertyTags, VARIANT*, VARIANT*, VARIANT*)
  RECORDS(GetChannelProperties, LONG, LONG, VARIANT*)
  RECORDS(GetScanMap, LONG, IKLVBitmapImage*)
  RECORDS(GetSingleImageTypes, VARIANT*, VARIANT*, VARIANT*)
  RECORDS(GetSingleImagePropertyTags, LONG, VARIANT*, VARIANT*, VARIANT*)
  RECORDS(GetSingleImageProperties, LONG, LONG, VARIANT*)
  RECORDS(GetSingleImage, LONG, IKLVBitmapImage**)
  RECORDS(GetImage, LONG, LONG, LONG, LONG, LONG, LONG, LONG, LONG, IKLVBitmapImage*)
  RECORDS(get_Properties, LONG, VARIANT*)
  RECORDS(put_Properties, LONG, VARIANT)
};

template <class Base>
class IKLVZorvel2Calls : public IKLVZorvelCalls<Base> {
 public:
  RECORDS(GetImageRaw, LONG, LONG, LONG, LONG, LONG, E_KLVImageType*, IKLVMemoryBuffer*)
  RECORDS(GetImageMaskRaw, LONG, LONG, LONG, LONG, E_KLVImageType*, IKLVMemoryBuffer*)
};

template <class Base>
class IKLVZorvel3Calls : public IKLVZorvel2Calls<Base> {
 public:
  RECORDS(GetImageRawBatch, LONG, LONG, LONG, LONG, LONG*, LONG*, IKLVMemoryBuffer**)
  RECORDS(GetImageMaskRawBatch, LONG, LONG, LONG, LONG, LONG*, LONG*, IKLVMemoryBuffer**)
  RECORDS(GetImageRawBatchSA, LONG, LONG, LONG, LONG, SAFEARRAY*, SAFEARRAY*, SAFEARRAY*)
  RECORDS(GetImageMaskRawBatchSA, LONG, LONG, LONG, LONG, SAFEARRAY*, SAFEARRAY*, SAFEARRAY*)
  RECORDS(GetScanMapRaw, LONG, IKLVBitmapImage*)
};

template <class Base>
class IKLVBitmapImageCalls : public Base {
 public:
  RECORDS(Create, LONG, LONG, LONG, LONG)
  RECORDS(LockBits, char**)
  RECORDS(UnlockBits, char*)
  RECORDS(LockBitsVB, VARIANT*)
  RECORDS(UnlockBitsVB, VARIANT*)
  RECORDS(get_Width, LONG*)
  RECORDS(get_Height, LONG*)
  RECORDS(get_Stride, LONG*)
  RECORDS(get_PixelFormat, LONG*)
  RECORDS(get_Picture, IPicture**)
};

template <class Base>
class IKLVMemoryBufferCalls : public Base {
 public:
  RECORDS(ReCreateWithAlloc, LONG)
  RECORDS(ReCreateWithReAlloc, LONG)
  RECORDS(Destroy)
  RECORDS(GetSize, LONG*)
  RECORDS(RemoteGetPtr, LONG*, char**)
  RECORDS(RemotePassPtr, LONG*, char**)
  RECORDS(RemoteCancelPtr, LONG*, char**)
  RECORDS(GetRAWArray, SAFEARRAY**)
  RECORDS(SetRAWArray, SAFEARRAY*)
};

template <class Base>
class ISeSlideDataProviderCalls : public Base {
 public:
  RECORDS(put_Name, BSTR)
  RECORDS(get_Name, BSTR*)
  RECORDS(ConnectToSlide, ISeSlideInOut*, BSTR)
  RECORDS(DisconnectFromSlide, VARIANT_BOOL)
  RECORDS(FilterByCreatorAndDate, VARIANT, VARIANT, IUnknown**)
  RECORDS(get_CreatorListCount, LONG*)
  RECORDS(get_CreatorList, LONG, BSTR*)
  RECORDS(get_DataCount, LONG*)
  RECORDS(get_Data, LONG, IUnknown**)
  RECORDS(DeleteData, LONG)
  RECORDS(get_Changed, VARIANT_BOOL*)
  RECORDS(Save, LONG)
  RECORDS(DiscardChanges)
  RECORDS(CanChangeData, VARIANT_BOOL*)
  RECORDS(ReloadData)
};

template <class Base>
class ISeSlideFlagProviderCalls : public ISeSlideDataProviderCalls<Base> {
 public:
  RECORDS(FilterByBounds, LONG, LONG, LONG, LONG, IUnknown**)
  RECORDS(AddNewData, BSTR, BSTR, LONG, LONG, LONG, LONG, LONG, LONG, BSTR, BSTR, VARIANT, LONG*)
};

template <class Base>
class ISeSlideInOutCalls : public Base {
 public:
  RECORDS(get_Name, BSTR*)
  RECORDS(put_Name, BSTR)
  RECORDS(OpenSlide, BSTR, CSeSlideOpenMode)
  RECORDS(CreateSlide, BSTR, BSTR, BSTR, BSTR, LONG, LONG)
  RECORDS(CloseSlide)
  RECORDS(get_SlideID, BSTR*)
  RECORDS(get_Width, LONG*)
  RECORDS(get_Height, LONG*)
  RECORDS(get_SlideName, BSTR*)
  RECORDS(get_SlideProjectName, BSTR*)
  RECORDS(GetPicture, LONG, LONG, LONG, VARIANT_BOOL, LONG, ISeSlideInOutMessages*, LONG, LONG*, LONG*, char*)
  RECORDS(get_PictureSize, LONG, LONG, LONG, LONG*)
  RECORDS(get_LayerCount, CSeSlideLayerType, LONG*)
  RECORDS(LayerList, CSeSlideLayerType, LONG*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
  RECORDS(AccessLayer, VARIANT, VARIANT, CSeSlideDataAccessMode, LONG*)
  RECORDS(ReleaseLayer, LONG)
  RECORDS(CreateLayer, BSTR, LONG, VARIANT, LONG, CSeSlideLayerType, VARIANT, VARIANT)
  RECORDS(DeleteLayer, BSTR)
  RECORDS(AddLayerLevel, BSTR, BSTR, VARIANT_BOOL, LONG, LONG)
  RECORDS(DeleteLayerLevel, BSTR, VARIANT, VARIANT)
  RECORDS(AddPicture, LONG, LONG, LONG, VARIANT_BOOL, LONG, ISeSlideInOutMessages*, LONG, LONG, char*)
  RECORDS(ChangePicture, LONG, LONG, LONG, VARIANT_BOOL, LONG, ISeSlideInOutMessages*, LONG, LONG, char*)
  RECORDS(DeletePicture, LONG, LONG, LONG)
  RECORDS(get_LayerLevelSizeX, LONG, LONG*)
  RECORDS(get_LayerLevelSizeY, LONG, LONG*)
  RECORDS(ChangeLayerLevelSize, LONG, LONG, LONG)
  RECORDS(get_LayerType, BSTR, CSeSlideLayerType*)
  RECORDS(get_Status, LONG, LONG, LONG, VARIANT_BOOL*)
  RECORDS(GetStatusMap, LONG, LONG*, LONG*, char*)
  RECORDS(get_LayerOtherParams, BSTR, VARIANT*)
  RECORDS(put_LayerOtherParams, BSTR, VARIANT)
  RECORDS(get_LayerOtherParamValue, BSTR, BSTR, VARIANT*)
  RECORDS(put_LayerOtherParamValue, BSTR, BSTR, VARIANT)
  RECORDS(get_LevelOtherParams, BSTR, VARIANT, VARIANT*)
  RECORDS(put_LevelOtherParams, BSTR, VARIANT, VARIANT)
  RECORDS(get_LevelOtherParamValue, BSTR, VARIANT, BSTR, VARIANT*)
  RECORDS(put_LevelOtherParamValue, BSTR, VARIANT, BSTR, VARIANT)
  RECORDS(get_SlideOtherParams, VARIANT*)
  RECORDS(put_SlideOtherParams, VARIANT)
  RECORDS(get_SlideOtherParamValue, BSTR, VARIANT*)
  RECORDS(put_SlideOtherParamValue, BSTR, VARIANT)
  RECORDS(get_OtherParams, BSTR, VARIANT*)
  RECORDS(put_OtherParams, BSTR, VARIANT)
  RECORDS(get_OtherParamValue, BSTR, BSTR, VARIANT*)
  RECORDS(put_OtherParamValue, BSTR, BSTR, VARIANT)
  RECORDS(CommitData)
  RECORDS(CancelAsynchronRequest, LONG, LONG, LONG, char*, VARIANT_BOOL*)
  RECORDS(CancelAsynchronRequestGroup, LONG, VARIANT_BOOL*)
  RECORDS(CancelAsynchronRequestList, VARIANT, VARIANT_BOOL*)
  RECORDS(CancelAsynchronRequestTableID, LONG, VARIANT_BOOL*)
  RECORDS(ChangeLayerAccessMode, LONG, CSeSlideDataAccessMode)
  RECORDS(IsSlideOpened, CSeSlideOpenMode*, VARIANT_BOOL*)
  RECORDS(IsLayerOpened, LONG, CSeSlideDataAccessMode*, VARIANT_BOOL*)
  RECORDS(get_PictureCountInLayerLevel, LONG, LONG*)
  RECORDS(get_OtherParamsSectionList, VARIANT*)
};

template <class Base>
class ISeSlideInOutMessagesCalls : public Base {
 public:
  RECORDS(OnPictureReady, ISeSlideInOut*, LONG, LONG, LONG, LONG, LONG, LONG)
  RECORDS(OnPictureAdded, ISeSlideInOut*, LONG, LONG, LONG, LONG, LONG)
  RECORDS(OnPictureChanged, ISeSlideInOut*, LONG, LONG, LONG, LONG, LONG)
  RECORDS(OnPictureDeleted, ISeSlideInOut*, LONG, LONG, LONG, LONG, LONG)
  RECORDS(OnRequestCancelled, ISeSlideInOut*, LONG, LONG, LONG, LONG, LONG)
  RECORDS(OnRequestError, ISeSlideInOut*, LONG, LONG, LONG, LONG, LONG, HRESULT)
};

template <class Base>
class ISeSlideDataRecCalls : public Base {
 public:
  RECORDS(get_AccessData, CSeSlideDataAccessMode*, ISeSlideDataAccessibilityRec**)
  RECORDS(put_Text, BSTR)
  RECORDS(get_Text, BSTR*)
  RECORDS(GetAttributes, VARIANT*, BSTR*)
  RECORDS(SetAttributes, VARIANT, BSTR)
  RECORDS(get_ObjectGUID, BSTR*)
};

template <class Base>
class ISeSlideDataAccessibilityRecCalls : public Base {
 public:
  RECORDS(get_ID, BSTR*)
  RECORDS(get_CreatorGUID, BSTR*)
  RECORDS(get_OwnerGUID, BSTR*)
  RECORDS(get_AccessibilityListCount, LONG*)
  RECORDS(get_AccessibilityListElement, LONG, CSeSlideDataAccessMode*, BSTR*)
  RECORDS(get_ObjectCreationDate, VARIANT*)
  RECORDS(get_ObjectDeletionDate, VARIANT*)
  RECORDS(AddAccessibilityOption, CSeSlideDataAccessMode, BSTR, LONG*)
  RECORDS(DeleteAccessibilityOption, LONG)
  RECORDS(get_EffectiveAccessRight, CSeSlideDataAccessMode*)
};

template <class Base>
class ISeSlideFlagDataRecCalls : public ISeSlideDataRecCalls<Base> {
 public:
  RECORDS(GetBoundRect, LONG*, LONG*, LONG*, LONG*)
  RECORDS(SetBoundRect, LONG, LONG, LONG, LONG)
  RECORDS(GetActivePoint, LONG*, LONG*)
  RECORDS(SetActivePoint, LONG, LONG)
};

template <class Base>
class IKLVBinAnnotProviderSlideBaseCalls : public Base {
 public:
  RECORDS(AttachToSlide, IUnknown*)
};

template <class Base>
class IKLVBinAnnotCollectionBaseCalls : public Base {
 public:
  RECORDS(get_Count, LONG*)
  RECORDS(HasNext, VARIANT_BOOL*)
  RECORDS(ReadNext, IKLVBinAnnotDataBase**, VARIANT_BOOL*)
  RECORDS(ReadNextN, LONG, SAFEARRAY**, LONG*)
  RECORDS(ResetPosition)
  RECORDS(Filter, IKLVBinAnnotFilterBase*, IKLVBinAnnotProgressCallback*, IKLVBinAnnotCollectionBase**)
  RECORDS(FindByInstanceGUID, GUID, IKLVBinAnnotDataBase**, VARIANT_BOOL*)
};

template <class Base>
class IKLVBinAnnotDataBaseCalls : public Base {
 public:
  RECORDS(get_TypeGUID, GUID*)
  RECORDS(get_InstanceGUID, GUID*)
  RECORDS(GetTag, LONG, VARIANT*)
  RECORDS(GetTags, VARIANT*)
  RECORDS(get_Shape, IKLVBinAnnotShapeBase**)
  RECORDS(get_Scheme, IKLVBinAnnotDataSchemeBase**)
  RECORDS(get_Changed, VARIANT_BOOL*)
  RECORDS(CreateSetterInstance, IKLVBinAnnotDataSetterBase**)
};

template <class Base>
class IKLVBinAnnotShapeBaseCalls : public Base {
 public:
  RECORDS(get_TypeGUID, GUID*)
  RECORDS(get_InstanceGUID, GUID*)
  RECORDS(GetBounds, LONG*, LONG*, LONG*, LONG*)
  RECORDS(GetTag, LONG, VARIANT*)
  RECORDS(GetTags, VARIANT*)
  RECORDS(get_AttachedDataCount, LONG*)
  RECORDS(GetAttachedData, LONG, IKLVBinAnnotDataBase***)
  RECORDS(CreateSetterInstance, IKLVBinAnnotShapeSetterBase**)
};

template <class Base>
class IKLVBinAnnotShapeSetterBaseCalls : public Base {
 public:
  RECORDS(get_TypeGUID, GUID*)
  RECORDS(GetTag, LONG, VARIANT*)
  RECORDS(GetTags, VARIANT*)
  RECORDS(SetTag, LONG, VARIANT)
  RECORDS(SetTags, VARIANT)
  RECORDS(ClearData)
};

template <class Base>
class IKLVBinAnnotDataSchemeBaseCalls : public Base {
 public:
  RECORDS(get_TypeGUID, GUID*)
  RECORDS(get_Name, BSTR*)
};

template <class Base>
class IKLVBinAnnotDataSetterBaseCalls : public Base {
 public:
  RECORDS(get_TypeGUID, GUID*)
  RECORDS(get_Scheme, IKLVBinAnnotDataSchemeBase**)
  RECORDS(GetTag, LONG, VARIANT*)
  RECORDS(GetTags, VARIANT*)
  RECORDS(SetTag, LONG, VARIANT)
  RECORDS(SetTags, VARIANT)
  RECORDS(ClearData)
};

template <class Base>
class IKLVBinAnnotFilterBaseCalls : public Base {
 public:
  RECORDS(get_FilterType, GUID*)
  RECORDS(AddScheme, IKLVBinAnnotDataSchemeBase*)
  RECORDS(get_SchemeCount, LONG*)
  RECORDS(GetScheme, LONG, IKLVBinAnnotDataSchemeBase**)
  RECORDS(RemoveScheme, IKLVBinAnnotDataSchemeBase*)
};

template <class Base>
class IKLVBinAnnotProgressCallbackCalls : public Base {
 public:
  RECORDS(OnOverallStarted, VARIANT_BOOL*)
  RECORDS(OnPhaseStarted, LONG, LONG, BSTR, VARIANT_BOOL*)
  RECORDS(OnProgress, DOUBLE, LONG, LONG, BSTR, DOUBLE, VARIANT_BOOL*)
  RECORDS(OnPhaseFinished, LONG, LONG, BSTR, VARIANT_BOOL*)
  RECORDS(OnOverallFinished)
};

template <class Base>
class IKLVBinAnnotDataBaseExCalls : public IKLVBinAnnotDataBaseCalls<Base> {
 public:
  RECORDS(SetOriginalInstanceGUID, GUID)
};

template <class Base>
class IKLVBinAnnotProviderBaseCalls : public Base {
 public:
  RECORDS(get_SchemeProvider, IKLVBinAnnotSchemeProviderBase**)
  RECORDS(get_FilterProvider, IKLVBinAnnotFilterProviderBase**)
  RECORDS(CreateDataSetterInstance, IKLVBinAnnotDataSchemeBase*, GUID, IKLVBinAnnotDataSetterBase**)
  RECORDS(CreateShapeSetterInstance, GUID, IKLVBinAnnotShapeSetterBase**)
  RECORDS(CreateBinAnnotDataAndShape, IKLVBinAnnotDataSetterBase*, IKLVBinAnnotShapeSetterBase*, IKLVBinAnnotDataBase**)
  RECORDS(CreateBinAnnotDataWithExistingShape, IKLVBinAnnotDataSetterBase*, IKLVBinAnnotShapeBase*,
          IKLVBinAnnotDataBase**)
  RECORDS(ModifyBinAnnotData, IKLVBinAnnotDataBase*, IKLVBinAnnotDataSetterBase*)
  RECORDS(ModifyBinAnnotDataAndCreateNewShape, IKLVBinAnnotDataBase*, IKLVBinAnnotDataSetterBase*,
          IKLVBinAnnotShapeSetterBase*)
  RECORDS(ModifyBinAnnotDataAndReplaceShape, IKLVBinAnnotDataBase*, IKLVBinAnnotDataSetterBase*, IKLVBinAnnotShapeBase*)
  RECORDS(RemoveBinAnnotData, IKLVBinAnnotDataBase*)
  RECORDS(CommitChanges, IKLVBinAnnotProgressCallback*)
  RECORDS(Filter, IKLVBinAnnotFilterBase*, IKLVBinAnnotProgressCallback*, IKLVBinAnnotCollectionBase**)
};

template <class Base>
class IKLVBinAnnotSchemeProviderBaseCalls : public Base {
 public:
  RECORDS(get_Count, LONG*)
  RECORDS(GetScheme, LONG, IKLVBinAnnotDataSchemeBase**)
  RECORDS(GetKnownScheme, GUID, IKLVBinAnnotDataSchemeBase**)
};

template <class Base>
class IKLVBinAnnotFilterProviderBaseCalls : public Base {
 public:
  RECORDS(CreateFilter, GUID, IKLVBinAnnotFilterBase**)
};

template <class Base>
class IKLVBinAnnotProviderBaseExCalls : public IKLVBinAnnotProviderBaseCalls<Base> {
 public:
  RECORDS(CreateBinAnnotDataAndShapeByOriginalGUID, IKLVBinAnnotDataSetterBase*, IKLVBinAnnotShapeSetterBase*, GUID,
          IKLVBinAnnotDataBase**)
};

template <class Base>
class IKLVBinAnnotGetterTMAMarker1Calls : public Base {
 public:
  RECORDS(get_InnerDiameter, LONG*)
  RECORDS(get_OuterDiameter, LONG*)
  RECORDS(get_LineColor, LONG*)
  RECORDS(get_Name, BSTR*)
  RECORDS(get_Comment, BSTR*)
};

template <class Base>
class IKLVBinAnnotGetterShapePoint1Calls : public Base {
 public:
  RECORDS(GetPoint, LONG*, LONG*)
};

// One recording object for each interface of the library, found by its IID; interfaces without
// IDispatch use the plain recorder.
inline std::unique_ptr<Recording> MakeRecording(REFIID iid) {
#define DUAL(I) \
  if (IsEqualIID(iid, IID_##I)) return std::make_unique<I##Calls<DualRecorder<I, IID_##I>>>();
#define PLAIN(I) \
  if (IsEqualIID(iid, IID_##I)) return std::make_unique<I##Calls<Recorder<I, IID_##I>>>();
  DUAL(IKLVZorvel)
  DUAL(IKLVZorvel2)
  DUAL(IKLVZorvel3)
  DUAL(IKLVBitmapImage)
  DUAL(IKLVMemoryBuffer)
  DUAL(ISeSlideDataProvider)
  DUAL(ISeSlideFlagProvider)
  DUAL(ISeSlideInOut)
  DUAL(ISeSlideInOutMessages)
  PLAIN(ISeSlideDataRec)
  PLAIN(ISeSlideDataAccessibilityRec)
  PLAIN(ISeSlideFlagDataRec)
  DUAL(IKLVBinAnnotProviderSlideBase)
  DUAL(IKLVBinAnnotCollectionBase)
  DUAL(IKLVBinAnnotDataBase)
  DUAL(IKLVBinAnnotShapeBase)
  DUAL(IKLVBinAnnotShapeSetterBase)
  DUAL(IKLVBinAnnotDataSchemeBase)
  DUAL(IKLVBinAnnotDataSetterBase)
  DUAL(IKLVBinAnnotFilterBase)
  PLAIN(IKLVBinAnnotProgressCallback)
  DUAL(IKLVBinAnnotDataBaseEx)
  DUAL(IKLVBinAnnotProviderBase)
  DUAL(IKLVBinAnnotSchemeProviderBase)
  DUAL(IKLVBinAnnotFilterProviderBase)
  DUAL(IKLVBinAnnotProviderBaseEx)
  DUAL(IKLVBinAnnotGetterTMAMarker1)
  DUAL(IKLVBinAnnotGetterShapePoint1)
#undef DUAL
#undef PLAIN
  return nullptr;
}

#undef RECORDS

}  // namespace typelib_test

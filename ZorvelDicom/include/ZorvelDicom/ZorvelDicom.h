// Public interface of ZorvelDicom.so: the automation interfaces, enumerations and identifiers of
// the ZORVELDICOMLib type library, in the form an interface-definition compiler emits for C++.
// Interfaces are abstract classes in function-table order; a host obtains them through
// DllGetClassObject (CLSID_KLVZorvelDICOM, CLSID_WSIAnnotations) after loading the module.
#pragma once

#include <oaidl.h>
#include <ocidl.h>

// IKLVBitmapImage, IKLVMemoryBuffer and IKLVBitmapImage2 with their identifiers.
#include <KLVInterfaces/KLVHostObjects.h>

// ---------------------------------------------------------------------------------------------
// Forward declarations
// ---------------------------------------------------------------------------------------------
struct IKLVZorvel;
struct IKLVZorvel2;
struct IKLVZorvel3;
struct IKLVBitmapImage;
struct IKLVMemoryBuffer;
struct ISeSlideFlagProvider;
struct ISeSlideDataProvider;
struct ISeSlideInOut;
struct ISeSlideInOutMessages;
struct ISeSlideDataRec;
struct ISeSlideDataAccessibilityRec;
struct ISeSlideFlagDataRec;
struct IKLVBinAnnotProviderSlideBase;
struct IKLVBinAnnotCollectionBase;
struct IKLVBinAnnotDataBase;
struct IKLVBinAnnotShapeBase;
struct IKLVBinAnnotShapeSetterBase;
struct IKLVBinAnnotDataSchemeBase;
struct IKLVBinAnnotDataSetterBase;
struct IKLVBinAnnotFilterBase;
struct IKLVBinAnnotProgressCallback;
struct IKLVBinAnnotDataBaseEx;
struct IKLVBinAnnotProviderBase;
struct IKLVBinAnnotSchemeProviderBase;
struct IKLVBinAnnotFilterProviderBase;
struct IKLVBinAnnotProviderBaseEx;
struct IKLVBinAnnotGetterTMAMarker1;
struct IKLVBinAnnotGetterShapePoint1;

// ---------------------------------------------------------------------------------------------
// Enumerations
// ---------------------------------------------------------------------------------------------
enum E_KLVImageType {
  D_KLV_IT_JPG = 0,
  D_KLV_IT_JPGRGB = 1,
  D_KLV_IT_PNG = 2,
  D_KLV_IT_BMP = 3,
  D_KLV_IT_JPGXR = 4,
  D_KLV_IT_JPG2000 = 5,
  D_KLV_IT_NumOF = 6
};

enum CSeSlideOpenMode {
  seOpenModeUnknown = 0,
  seOpenModeRead = 1,
  seOpenModeReadWrite = 2,
  seOpenModeEvaluate = 3
};

enum CSeSlideLayerType {
  seLayerTypeTree = 0,
  seLayerTypeSequential = 1
};

enum CSeSlideDataAccessMode {
  seAccesModeUnaccessible = 0,
  seAccesModeReadOnly = 1,
  seAccesModeReadWrite = 2
};

// ---------------------------------------------------------------------------------------------
// Library, classes and interface identifiers
// ---------------------------------------------------------------------------------------------
DEFINE_GUID(LIBID_ZORVELDICOMLib, 0xE501ACA5, 0x11A9, 0x4032, 0x86, 0x8B, 0x3A, 0x58, 0xD0, 0xB9, 0x6C, 0x0D);
DEFINE_GUID(CLSID_KLVZorvelDICOM, 0x1023531A, 0x7F0D, 0x40EC, 0x85, 0xC5, 0x31, 0xA4, 0x8D, 0x34, 0x15, 0x30);
DEFINE_GUID(CLSID_WSIAnnotations, 0x7D4CCBB6, 0xF86B, 0x422D, 0x91, 0xCD, 0x13, 0x3C, 0xD9, 0x98, 0xD0, 0x29);

DEFINE_GUID(IID_IKLVZorvel, 0x24FFBF2A, 0x12CD, 0x4AB9, 0xB7, 0x10, 0xE6, 0xC1, 0xC7, 0xC9, 0xE7, 0x80);
DEFINE_GUID(IID_IKLVZorvel2, 0xDE7F3981, 0x05C6, 0x4508, 0x92, 0x46, 0xF4, 0x39, 0xCA, 0x78, 0x08, 0x24);
DEFINE_GUID(IID_IKLVZorvel3, 0x7DC45406, 0x2435, 0x40E5, 0x86, 0xFD, 0xFC, 0xFF, 0x46, 0xD9, 0x4A, 0x4C);
DEFINE_GUID(IID_ISeSlideFlagProvider, 0xDFCC1894, 0x4927, 0x4EF1, 0xAA, 0x09, 0xE8, 0xFD, 0xAE, 0x0A, 0x9C, 0x7E);
DEFINE_GUID(IID_ISeSlideDataProvider, 0xD0B9744A, 0x7103, 0x4A88, 0x91, 0x09, 0x89, 0x63, 0x84, 0x8C, 0xF5, 0x86);
DEFINE_GUID(IID_ISeSlideInOut, 0x701CD017, 0x67AA, 0x4ED7, 0x93, 0xD1, 0x2C, 0x80, 0xF6, 0x3A, 0x1D, 0x26);
DEFINE_GUID(IID_ISeSlideInOutMessages, 0x83557AC1, 0x836D, 0x490C, 0x94, 0xC8, 0xED, 0x67, 0xF9, 0x24, 0x6D, 0x07);
DEFINE_GUID(IID_ISeSlideDataRec, 0xEB7B3B5F, 0x0330, 0x425B, 0x85, 0xC9, 0xB8, 0x22, 0xF7, 0xF5, 0x1A, 0xCD);
DEFINE_GUID(IID_ISeSlideDataAccessibilityRec,
            0x65386728, 0x9540, 0x4452, 0x8F, 0xF3, 0x77, 0x60, 0x30, 0x76, 0x86, 0xDE);
DEFINE_GUID(IID_ISeSlideFlagDataRec, 0xDAA4CB65, 0xF3D0, 0x4B0E, 0x8F, 0x45, 0xAF, 0xAB, 0xD3, 0x37, 0xBD, 0x2D);
DEFINE_GUID(IID_IKLVBinAnnotProviderSlideBase,
            0x73C3D077, 0x0544, 0x4289, 0xA6, 0x41, 0xEC, 0xAB, 0x3F, 0xA7, 0x9D, 0x15);
DEFINE_GUID(IID_IKLVBinAnnotCollectionBase,
            0x6A25EE49, 0x42F2, 0x4C48, 0x86, 0x8C, 0xC3, 0x7C, 0x84, 0x9C, 0x6C, 0x25);
DEFINE_GUID(IID_IKLVBinAnnotDataBase, 0x78827079, 0xC87C, 0x453D, 0xA2, 0x60, 0x65, 0xB3, 0x52, 0x4B, 0xC0, 0xDD);
DEFINE_GUID(IID_IKLVBinAnnotShapeBase, 0x20742D10, 0xB7F1, 0x49C0, 0xB5, 0x7E, 0x9C, 0x5B, 0xB6, 0x31, 0x07, 0x82);
DEFINE_GUID(IID_IKLVBinAnnotShapeSetterBase,
            0xF3F0212E, 0x778F, 0x4AB0, 0x85, 0xEB, 0x71, 0xFA, 0x69, 0xC0, 0x16, 0xDF);
DEFINE_GUID(IID_IKLVBinAnnotDataSchemeBase,
            0xCD674953, 0x2C5B, 0x497D, 0xB7, 0xB4, 0x65, 0xA7, 0x4F, 0x2B, 0x34, 0xF7);
DEFINE_GUID(IID_IKLVBinAnnotDataSetterBase,
            0xB4D800A7, 0x5E93, 0x4796, 0xBD, 0x0F, 0x23, 0x0F, 0x4C, 0x08, 0xA4, 0x25);
DEFINE_GUID(IID_IKLVBinAnnotFilterBase, 0x81D745E3, 0x6861, 0x42CA, 0xAC, 0xAB, 0x13, 0xD5, 0xBC, 0x5E, 0x96, 0xFE);
DEFINE_GUID(IID_IKLVBinAnnotProgressCallback,
            0x0C79F4E1, 0xBD3A, 0x4E00, 0x96, 0x61, 0x56, 0x8E, 0x3B, 0xA5, 0xF6, 0x8A);
DEFINE_GUID(IID_IKLVBinAnnotDataBaseEx, 0x366B1ED2, 0x4C05, 0x4BB8, 0x9B, 0xE7, 0x7A, 0xDE, 0x25, 0x18, 0xB7, 0xC2);
DEFINE_GUID(IID_IKLVBinAnnotProviderBase, 0x4F5A46C9, 0x719B, 0x4C3E, 0xB8, 0xA6, 0xE1, 0xAC, 0x1C, 0x8D, 0x16, 0xC3);
DEFINE_GUID(IID_IKLVBinAnnotSchemeProviderBase,
            0x0657E5A2, 0x3D5B, 0x4F91, 0x85, 0x7B, 0xDD, 0x15, 0x96, 0x4B, 0xEB, 0x3C);
DEFINE_GUID(IID_IKLVBinAnnotFilterProviderBase,
            0x5E2DBA79, 0x1234, 0x4914, 0x9A, 0x4A, 0xFD, 0xA7, 0xA0, 0xD6, 0xF3, 0x2D);
DEFINE_GUID(IID_IKLVBinAnnotProviderBaseEx,
            0xB21B339E, 0x566C, 0x483D, 0x8B, 0x0C, 0x72, 0x65, 0xE2, 0xE2, 0xD6, 0x07);
DEFINE_GUID(IID_IKLVBinAnnotGetterTMAMarker1,
            0xF2E58ACB, 0x035C, 0x450C, 0x9F, 0xD3, 0xD5, 0x4F, 0x86, 0x0B, 0x15, 0xD2);
DEFINE_GUID(IID_IKLVBinAnnotGetterShapePoint1,
            0x684B7E04, 0x7688, 0x4DCE, 0xB4, 0x99, 0x6C, 0x1B, 0xD6, 0xAD, 0xFB, 0xDC);

// ---------------------------------------------------------------------------------------------
// Slide access (class KLVZorvelDICOM)
// ---------------------------------------------------------------------------------------------
struct IKLVZorvel : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE OpenSlide(BSTR SlideName) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSlidePropertyTags(VARIANT* PropTagArray, VARIANT* PropTagNameArray,
                                                         VARIANT* PropTagDescArray) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSlideProperties(LONG SldPropTag, VARIANT* SlideProperty) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetChannelPropertyTags(VARIANT* PropTagArray, VARIANT* PropTagNameArray,
                                                           VARIANT* PropTagDescArray) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetChannelProperties(LONG ChannelPropTag, LONG Channel,
                                                         VARIANT* ChannelProperty) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetScanMap(LONG Magnification, IKLVBitmapImage* pPicture) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSingleImageTypes(VARIANT* SingTypeArray, VARIANT* SingTypeNameArray,
                                                        VARIANT* SingTypeDescArray) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSingleImagePropertyTags(LONG ImageType, VARIANT* PropTagArray,
                                                               VARIANT* PropTagNameArray,
                                                               VARIANT* PropTagDescArray) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSingleImageProperties(LONG ImageType, LONG SingImagePropTag,
                                                             VARIANT* SingImageProperty) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSingleImage(LONG ImageType, IKLVBitmapImage** pPicture) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetImage(LONG x1, LONG y1, LONG x2, LONG y2, LONG Magnification, LONG RedChn,
                                             LONG GreenChn, LONG BlueChn, IKLVBitmapImage* pPicture) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Properties(LONG PropTag, VARIANT* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Properties(LONG PropTag, VARIANT value) = 0;
};

struct IKLVZorvel2 : public IKLVZorvel {
 public:
  virtual HRESULT STDMETHODCALLTYPE GetImageRaw(LONG p_X, LONG p_Y, LONG p_ImgIdx, LONG p_Focus, LONG p_Zoom,
                                                E_KLVImageType* pType, IKLVMemoryBuffer* pData) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetImageMaskRaw(LONG p_X, LONG p_Y, LONG p_Focus, LONG p_Zoom,
                                                    E_KLVImageType* pType, IKLVMemoryBuffer* pData) = 0;
};

struct IKLVZorvel3 : public IKLVZorvel2 {
 public:
  virtual HRESULT STDMETHODCALLTYPE GetImageRawBatch(LONG Channel, LONG ZStack, LONG ZoomLevel, LONG EncodedCount,
                                                     LONG* EncodedXCoordinates, LONG* EncodedYCoordinates,
                                                     IKLVMemoryBuffer** EncodedImages) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetImageMaskRawBatch(LONG Channel, LONG ZStack, LONG ZoomLevel,
                                                         LONG EncodedCount, LONG* EncodedXCoordinates,
                                                         LONG* EncodedYCoordinates,
                                                         IKLVMemoryBuffer** EncodedImages) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetImageRawBatchSA(LONG Channel, LONG ZStack, LONG ZoomLevel, LONG EncodedCount,
                                                       SAFEARRAY* EncodedXCoordinates,
                                                       SAFEARRAY* EncodedYCoordinates,
                                                       SAFEARRAY* EncodedImages) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetImageMaskRawBatchSA(LONG Channel, LONG ZStack, LONG ZoomLevel,
                                                           LONG EncodedCount, SAFEARRAY* EncodedXCoordinates,
                                                           SAFEARRAY* EncodedYCoordinates,
                                                           SAFEARRAY* EncodedImages) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetScanMapRaw(LONG p_Zoom, IKLVBitmapImage* pPicture) = 0;
};

// ---------------------------------------------------------------------------------------------
// Slide data (class WSIAnnotations) and the host's slide storage
// ---------------------------------------------------------------------------------------------
struct ISeSlideDataProvider : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE put_Name(BSTR value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE ConnectToSlide(ISeSlideInOut* Slide, BSTR UserGUID) = 0;
  virtual HRESULT STDMETHODCALLTYPE DisconnectFromSlide(VARIANT_BOOL SaveChanges) = 0;
  virtual HRESULT STDMETHODCALLTYPE FilterByCreatorAndDate(VARIANT CreatorGUIDList, VARIANT DateTime,
                                                           IUnknown** pFilteredData) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CreatorListCount(LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CreatorList(LONG Index, BSTR* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DataCount(LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Data(LONG Index, IUnknown** pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteData(LONG Index) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Changed(VARIANT_BOOL* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE Save(LONG AccessTimeOut) = 0;
  virtual HRESULT STDMETHODCALLTYPE DiscardChanges() = 0;
  virtual HRESULT STDMETHODCALLTYPE CanChangeData(VARIANT_BOOL* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReloadData() = 0;
};

struct ISeSlideFlagProvider : public ISeSlideDataProvider {
 public:
  virtual HRESULT STDMETHODCALLTYPE FilterByBounds(LONG Left, LONG Top, LONG Right, LONG Bottom,
                                                   IUnknown** pFilteredData) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddNewData(BSTR CreatorGUID, BSTR ObjectGUID, LONG brLeft, LONG brTop,
                                               LONG brRight, LONG brBottom, LONG apX, LONG apY, BSTR Text,
                                               BSTR AttribType, VARIANT AttribData, LONG* pIndex) = 0;
};

struct ISeSlideInOut : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Name(BSTR value) = 0;
  virtual HRESULT STDMETHODCALLTYPE OpenSlide(BSTR sldPath, CSeSlideOpenMode OpenMode) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateSlide(BSTR sldPath, BSTR sldID, BSTR sldName, BSTR sldProjectName, LONG w,
                                                LONG h) = 0;
  virtual HRESULT STDMETHODCALLTYPE CloseSlide() = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SlideID(BSTR* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Width(LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Height(LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SlideName(BSTR* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SlideProjectName(BSTR* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPicture(LONG x, LONG y, LONG TableID, VARIANT_BOOL SynchronAccess,
                                               LONG UserData, ISeSlideInOutMessages* UserCallbackObject,
                                               LONG RequestGroupID, LONG* BufferSizeInBytes,
                                               LONG* DataInBufferInBytes, char* Buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_PictureSize(LONG x, LONG y, LONG TableID, LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LayerCount(CSeSlideLayerType LayerType, LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE LayerList(CSeSlideLayerType LayerType, LONG* LayerCount, VARIANT* LayerNames,
                                              VARIANT* LevelCountsPerLayer, VARIANT* LevelNames,
                                              VARIANT* LevelWidths, VARIANT* LevelHeights,
                                              VARIANT* DefaultLevelsPerLayer) = 0;
  virtual HRESULT STDMETHODCALLTYPE AccessLayer(VARIANT LayerNames, VARIANT Levels,
                                                CSeSlideDataAccessMode AccessMode, LONG* TableID) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReleaseLayer(LONG TableID) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateLayer(BSTR LayerName, LONG LevelCount, VARIANT LevelNames,
                                                LONG DefaultLevel, CSeSlideLayerType LayerType,
                                                VARIANT InitialLevelWidths, VARIANT InitialLevelHeights) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteLayer(BSTR LayerName) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddLayerLevel(BSTR LayerName, BSTR LevelName,
                                                  VARIANT_BOOL MakeThisToDefaultLevel, LONG InitialLevelWidth,
                                                  LONG InitialLevelHeight) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteLayerLevel(BSTR LayerName, VARIANT Level, VARIANT NewDefault) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddPicture(LONG x, LONG y, LONG TableID, VARIANT_BOOL SynchronAccess,
                                               LONG UserData, ISeSlideInOutMessages* UserCallbackObject,
                                               LONG RequestGroupID, LONG DataInBufferInBytes, char* Buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE ChangePicture(LONG x, LONG y, LONG TableID, VARIANT_BOOL SynchronAccess,
                                                  LONG UserData, ISeSlideInOutMessages* UserCallbackObject,
                                                  LONG RequestGroupID, LONG DataInBufferInBytes, char* Buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeletePicture(LONG x, LONG y, LONG TableID) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LayerLevelSizeX(LONG TableID, LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LayerLevelSizeY(LONG TableID, LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE ChangeLayerLevelSize(LONG NewXSize, LONG NewYSize, LONG TableID) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LayerType(BSTR LayerName, CSeSlideLayerType* LayerType) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Status(LONG x, LONG y, LONG TableID, VARIANT_BOOL* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStatusMap(LONG TableID, LONG* BufferSizeInBytes, LONG* DataInBufferInBytes,
                                                 char* Buffer) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LayerOtherParams(BSTR LayerName, VARIANT* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_LayerOtherParams(BSTR LayerName, VARIANT value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LayerOtherParamValue(BSTR LayerName, BSTR ValueName, VARIANT* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_LayerOtherParamValue(BSTR LayerName, BSTR ValueName, VARIANT value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LevelOtherParams(BSTR LayerName, VARIANT Level, VARIANT* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_LevelOtherParams(BSTR LayerName, VARIANT Level, VARIANT value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LevelOtherParamValue(BSTR LayerName, VARIANT Level, BSTR ValueName,
                                                             VARIANT* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_LevelOtherParamValue(BSTR LayerName, VARIANT Level, BSTR ValueName,
                                                             VARIANT value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SlideOtherParams(VARIANT* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_SlideOtherParams(VARIANT value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SlideOtherParamValue(BSTR ValueName, VARIANT* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_SlideOtherParamValue(BSTR ValueName, VARIANT value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_OtherParams(BSTR SectionName, VARIANT* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_OtherParams(BSTR SectionName, VARIANT value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_OtherParamValue(BSTR SectionName, BSTR ValueName, VARIANT* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_OtherParamValue(BSTR SectionName, BSTR ValueName, VARIANT value) = 0;
  virtual HRESULT STDMETHODCALLTYPE CommitData() = 0;
  virtual HRESULT STDMETHODCALLTYPE CancelAsynchronRequest(LONG x, LONG y, LONG TableID, char* Buffer,
                                                           VARIANT_BOOL* Canceled) = 0;
  virtual HRESULT STDMETHODCALLTYPE CancelAsynchronRequestGroup(LONG RequestGroupID, VARIANT_BOOL* CanceledAll) = 0;
  virtual HRESULT STDMETHODCALLTYPE CancelAsynchronRequestList(VARIANT List, VARIANT_BOOL* CanceledAll) = 0;
  virtual HRESULT STDMETHODCALLTYPE CancelAsynchronRequestTableID(LONG TableID, VARIANT_BOOL* CanceledAll) = 0;
  virtual HRESULT STDMETHODCALLTYPE ChangeLayerAccessMode(LONG TableID, CSeSlideDataAccessMode AccessMode) = 0;
  virtual HRESULT STDMETHODCALLTYPE IsSlideOpened(CSeSlideOpenMode* OpenMode, VARIANT_BOOL* Opened) = 0;
  virtual HRESULT STDMETHODCALLTYPE IsLayerOpened(LONG TableID, CSeSlideDataAccessMode* AccessMode,
                                                  VARIANT_BOOL* Opened) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_PictureCountInLayerLevel(LONG TableID, LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_OtherParamsSectionList(VARIANT* pVal) = 0;
};

struct ISeSlideInOutMessages : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE OnPictureReady(ISeSlideInOut* Slide, LONG x, LONG y, LONG TableID,
                                                   LONG ReadBytes, LONG UserData, LONG RequestGroupID) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnPictureAdded(ISeSlideInOut* Slide, LONG x, LONG y, LONG TableID,
                                                   LONG UserData, LONG RequestGroupID) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnPictureChanged(ISeSlideInOut* Slide, LONG x, LONG y, LONG TableID,
                                                     LONG UserData, LONG RequestGroupID) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnPictureDeleted(ISeSlideInOut* Slide, LONG x, LONG y, LONG TableID,
                                                     LONG UserData, LONG RequestGroupID) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnRequestCancelled(ISeSlideInOut* Slide, LONG x, LONG y, LONG TableID,
                                                       LONG UserData, LONG RequestGroupID) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnRequestError(ISeSlideInOut* Slide, LONG x, LONG y, LONG TableID,
                                                   LONG UserData, LONG RequestGroupID, HRESULT ErrorCode) = 0;
};

struct ISeSlideDataRec : public IUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_AccessData(CSeSlideDataAccessMode* EffectiveAccessRight,
                                                   ISeSlideDataAccessibilityRec** pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Text(BSTR value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Text(BSTR* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAttributes(VARIANT* pAttributes, BSTR* pType) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetAttributes(VARIANT NewVal, BSTR Type) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ObjectGUID(BSTR* pVal) = 0;
};

struct ISeSlideDataAccessibilityRec : public IUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_ID(BSTR* pGuid) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CreatorGUID(BSTR* pGuid) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_OwnerGUID(BSTR* pGuid) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AccessibilityListCount(LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AccessibilityListElement(LONG Index, CSeSlideDataAccessMode* AccessMode,
                                                                 BSTR* pUserGuid) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ObjectCreationDate(VARIANT* pDateTime) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ObjectDeletionDate(VARIANT* pDateTime) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddAccessibilityOption(CSeSlideDataAccessMode AccessMode, BSTR UserGUID,
                                                           LONG* pIndex) = 0;
  virtual HRESULT STDMETHODCALLTYPE DeleteAccessibilityOption(LONG Index) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_EffectiveAccessRight(CSeSlideDataAccessMode* pVal) = 0;
};

struct ISeSlideFlagDataRec : public ISeSlideDataRec {
 public:
  virtual HRESULT STDMETHODCALLTYPE GetBoundRect(LONG* pLeft, LONG* pTop, LONG* pRight, LONG* pBottom) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetBoundRect(LONG Left, LONG Top, LONG Right, LONG Bottom) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetActivePoint(LONG* pX, LONG* pY) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetActivePoint(LONG x, LONG y) = 0;
};

// ---------------------------------------------------------------------------------------------
// Binary annotations (class WSIAnnotations and the objects it hands out)
// ---------------------------------------------------------------------------------------------
struct IKLVBinAnnotProviderSlideBase : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE AttachToSlide(IUnknown* p_SlideIO) = 0;
};

struct IKLVBinAnnotCollectionBase : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE HasNext(VARIANT_BOOL* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReadNext(IKLVBinAnnotDataBase** p_Data, VARIANT_BOOL* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReadNextN(LONG p_CountToRead, SAFEARRAY** p_Data, LONG* p_ReadCount) = 0;
  virtual HRESULT STDMETHODCALLTYPE ResetPosition() = 0;
  virtual HRESULT STDMETHODCALLTYPE Filter(IKLVBinAnnotFilterBase* p_Filter, IKLVBinAnnotProgressCallback* p_Callback,
                                           IKLVBinAnnotCollectionBase** p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE FindByInstanceGUID(GUID p_GUID, IKLVBinAnnotDataBase** p_Data,
                                                       VARIANT_BOOL* p_RetVal) = 0;
};

struct IKLVBinAnnotDataBase : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_TypeGUID(GUID* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_InstanceGUID(GUID* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTag(LONG p_TagID, VARIANT* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTags(VARIANT* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Shape(IKLVBinAnnotShapeBase** p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Scheme(IKLVBinAnnotDataSchemeBase** p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Changed(VARIANT_BOOL* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateSetterInstance(IKLVBinAnnotDataSetterBase** p_RetVal) = 0;
};

struct IKLVBinAnnotShapeBase : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_TypeGUID(GUID* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_InstanceGUID(GUID* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBounds(LONG* p_Left, LONG* p_Top, LONG* p_Right, LONG* p_Bottom) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTag(LONG p_TagID, VARIANT* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTags(VARIANT* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AttachedDataCount(LONG* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAttachedData(LONG p_Index, IKLVBinAnnotDataBase*** p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateSetterInstance(IKLVBinAnnotShapeSetterBase** p_RetVal) = 0;
};

struct IKLVBinAnnotShapeSetterBase : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_TypeGUID(GUID* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTag(LONG p_TagID, VARIANT* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTags(VARIANT* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetTag(LONG p_TagID, VARIANT p_NewVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetTags(VARIANT p_NewVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE ClearData() = 0;
};

struct IKLVBinAnnotDataSchemeBase : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_TypeGUID(GUID* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* p_RetVal) = 0;
};

struct IKLVBinAnnotDataSetterBase : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_TypeGUID(GUID* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Scheme(IKLVBinAnnotDataSchemeBase** p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTag(LONG p_TagID, VARIANT* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetTags(VARIANT* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetTag(LONG p_TagID, VARIANT p_NewVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetTags(VARIANT p_NewVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE ClearData() = 0;
};

struct IKLVBinAnnotFilterBase : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_FilterType(GUID* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddScheme(IKLVBinAnnotDataSchemeBase* p_Scheme) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SchemeCount(LONG* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetScheme(LONG p_Index, IKLVBinAnnotDataSchemeBase** p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveScheme(IKLVBinAnnotDataSchemeBase* p_Scheme) = 0;
};

struct IKLVBinAnnotProgressCallback : public IUnknown {
 public:
  virtual HRESULT STDMETHODCALLTYPE OnOverallStarted(VARIANT_BOOL* p_Cancel) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnPhaseStarted(LONG p_NumberOfTotalPhases, LONG p_CurrentPhase,
                                                   BSTR p_CurrentPhaseDesc, VARIANT_BOOL* p_Cancel) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnProgress(DOUBLE p_OverallProgress, LONG p_NumberOfTotalPhases,
                                               LONG p_CurrentPhase, BSTR p_CurrentPhaseDesc, DOUBLE p_PhaseProgress,
                                               VARIANT_BOOL* p_Cancel) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnPhaseFinished(LONG p_NumberOfTotalPhases, LONG p_CurrentPhase,
                                                    BSTR p_CurrentPhaseDesc, VARIANT_BOOL* p_Cancel) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnOverallFinished() = 0;
};

struct IKLVBinAnnotDataBaseEx : public IKLVBinAnnotDataBase {
 public:
  virtual HRESULT STDMETHODCALLTYPE SetOriginalInstanceGUID(GUID p_OriginalInstanceGUID) = 0;
};

struct IKLVBinAnnotProviderBase : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_SchemeProvider(IKLVBinAnnotSchemeProviderBase** p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_FilterProvider(IKLVBinAnnotFilterProviderBase** p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateDataSetterInstance(IKLVBinAnnotDataSchemeBase* p_Scheme,
                                                             GUID p_DataTypeGUID,
                                                             IKLVBinAnnotDataSetterBase** p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateShapeSetterInstance(GUID p_ShapeTypeGUID,
                                                              IKLVBinAnnotShapeSetterBase** p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateBinAnnotDataAndShape(IKLVBinAnnotDataSetterBase* p_DataSetter,
                                                               IKLVBinAnnotShapeSetterBase* p_ShapeSetter,
                                                               IKLVBinAnnotDataBase** p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE CreateBinAnnotDataWithExistingShape(IKLVBinAnnotDataSetterBase* p_DataSetter,
                                                                        IKLVBinAnnotShapeBase* p_Shape,
                                                                        IKLVBinAnnotDataBase** p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE ModifyBinAnnotData(IKLVBinAnnotDataBase* p_BinAnnotDataBaseToModify,
                                                       IKLVBinAnnotDataSetterBase* p_DataSetter) = 0;
  virtual HRESULT STDMETHODCALLTYPE ModifyBinAnnotDataAndCreateNewShape(
      IKLVBinAnnotDataBase* p_BinAnnotDataBaseToModify, IKLVBinAnnotDataSetterBase* p_DataSetter,
      IKLVBinAnnotShapeSetterBase* p_ShapeSetter) = 0;
  virtual HRESULT STDMETHODCALLTYPE ModifyBinAnnotDataAndReplaceShape(
      IKLVBinAnnotDataBase* p_BinAnnotDataBaseToModify, IKLVBinAnnotDataSetterBase* p_DataSetter,
      IKLVBinAnnotShapeBase* p_ReplacementShape) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveBinAnnotData(IKLVBinAnnotDataBase* p_BinAnnotDataBaseToRemove) = 0;
  virtual HRESULT STDMETHODCALLTYPE CommitChanges(IKLVBinAnnotProgressCallback* p_Callback) = 0;
  virtual HRESULT STDMETHODCALLTYPE Filter(IKLVBinAnnotFilterBase* p_Filter, IKLVBinAnnotProgressCallback* p_Callback,
                                           IKLVBinAnnotCollectionBase** p_RetVal) = 0;
};

struct IKLVBinAnnotSchemeProviderBase : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetScheme(LONG p_Index, IKLVBinAnnotDataSchemeBase** p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetKnownScheme(GUID p_SchemeID, IKLVBinAnnotDataSchemeBase** p_RetVal) = 0;
};

struct IKLVBinAnnotFilterProviderBase : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE CreateFilter(GUID p_FilterType, IKLVBinAnnotFilterBase** p_RetVal) = 0;
};

struct IKLVBinAnnotProviderBaseEx : public IKLVBinAnnotProviderBase {
 public:
  virtual HRESULT STDMETHODCALLTYPE CreateBinAnnotDataAndShapeByOriginalGUID(IKLVBinAnnotDataSetterBase* p_DataSetter,
                                                                             IKLVBinAnnotShapeSetterBase* p_ShapeSetter,
                                                                             GUID p_OriginalGUID,
                                                                             IKLVBinAnnotDataBase** p_RetVal) = 0;
};

struct IKLVBinAnnotGetterTMAMarker1 : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE get_InnerDiameter(LONG* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_OuterDiameter(LONG* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_LineColor(LONG* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* p_RetVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Comment(BSTR* p_RetVal) = 0;
};

struct IKLVBinAnnotGetterShapePoint1 : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE GetPoint(LONG* p_X, LONG* p_Y) = 0;
};

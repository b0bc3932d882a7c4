// The slide-access object's state and methods: one opened slide, its directory source shared by
// path, the zoom levels opened on demand and the slide-wide data computed from the first of them.
// Free-threaded; lock order: open/close mutex, then m_csSlide, then the process-wide registries.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include <DicomInterop.h>
#include <TypeLibrary.h>
#include <ZorvelDicom/ZorvelDicom.h>

#include "Com/ComObject.h"
#include "Decoder/DicomGeneralUtils.h"
#include "HugeCache/SlideCacheClients.h"
#include "Slide/ZoomLevelWalks.h"

struct RawTileSource;
struct RegionSlide;
class SlideTagTable;
struct RegionPlan;
struct IKLVBitmapImage2;
namespace Render {
struct ChannelChoice;
}
// Report lines of a raw call's level preparation: binding the source, the level-9 walk, the
// opening and the lookup of the level.
struct RawReportLines {
  int bind, levelNine, open, find;
  const char16_t* function;
};

// IDispatch of IKLVZorvel3 is served from the type library's declarations.
//
// Threads and ownership. Any host thread may call any method on one object at the same time.
// - m_csSlide guards every field below that says nothing else. A call that uses a zoom image,
//   the directory source or the decoder after releasing m_csSlide takes a shared_ptr copy while
//   holding it: OpenSlide, CloseSlide and key 10001 only drop the object's references, so what a
//   running call holds stays alive until that call is done.
// - A zoom image is opened under m_csSlide before it enters a table and never changes after;
//   its level data are immutable, so reading tiles from it needs no lock.
// - m_caches, the slide's cache clients, is replaced, never changed: InitSlideData makes a new
//   pair for each opened slide and ForgetSlideData drops the object's reference. A call that files
//   or looks up tiles takes a copy of the handle under m_csSlide, so its keys carry the client
//   number of the slide it started on even when another thread opens another slide meanwhile.
//   Its last holder retires it; OpenSlide, CloseSlide and FinalRelease destroy retired ones.
// - m_strSlidePath is written with both the open/close mutex and m_csSlide held, so either lock
//   is enough to read it. m_bSlideOpen is read and written only under the open/close mutex.
// - Fields read without any lock are atomic: the option flags set by put_Properties,
//   m_bExtendedFocus and m_bAbort.

class CDicomZorvelImpl : public zplatform::automation::DispatchImpl<IKLVZorvel3, ZorvelTypeLib::kZORVELDICOMLib,
                                                                    IID_IKLVZorvel3>,
                         public ZorvelCom::ComObjectRoot,
                         protected ZoomLevelWalks::ZoomLevelOpener {
 public:
  CDicomZorvelImpl();
  CDicomZorvelImpl(const CDicomZorvelImpl&) = delete;
  CDicomZorvelImpl& operator=(const CDicomZorvelImpl&) = delete;

  HRESULT FinalConstruct();
  void FinalRelease();

  // IKLVZorvel
  STDMETHOD(OpenSlide)(BSTR SlideName) override;
  STDMETHOD(GetSlidePropertyTags)(VARIANT* PropTagArray, VARIANT* PropTagNameArray, VARIANT* PropTagDescArray) override;
  STDMETHOD(GetSlideProperties)(LONG SldPropTag, VARIANT* SlideProperty) override;
  STDMETHOD(GetChannelPropertyTags)(VARIANT* PropTagArray, VARIANT* PropTagNameArray,
                                    VARIANT* PropTagDescArray) override;
  STDMETHOD(GetChannelProperties)(LONG ChannelPropTag, LONG Channel, VARIANT* ChannelProperty) override;
  STDMETHOD(GetScanMap)(LONG Magnification, IKLVBitmapImage* pPicture) override;
  STDMETHOD(GetSingleImageTypes)(VARIANT* SingTypeArray, VARIANT* SingTypeNameArray,
                                 VARIANT* SingTypeDescArray) override;
  STDMETHOD(GetSingleImagePropertyTags)(LONG ImageType, VARIANT* PropTagArray, VARIANT* PropTagNameArray,
                                        VARIANT* PropTagDescArray) override;
  STDMETHOD(GetSingleImageProperties)(LONG ImageType, LONG SingImagePropTag, VARIANT* SingImageProperty) override;
  STDMETHOD(GetSingleImage)(LONG ImageType, IKLVBitmapImage** pPicture) override;
  STDMETHOD(GetImage)(LONG x1, LONG y1, LONG x2, LONG y2, LONG Magnification, LONG RedChn, LONG GreenChn,
                      LONG BlueChn, IKLVBitmapImage* pPicture) override;
  STDMETHOD(get_Properties)(LONG PropTag, VARIANT* pVal) override;
  STDMETHOD(put_Properties)(LONG PropTag, VARIANT value) override;
  // IKLVZorvel2
  STDMETHOD(GetImageRaw)(LONG p_X, LONG p_Y, LONG p_ImgIdx, LONG p_Focus, LONG p_Zoom, E_KLVImageType* pType,
                         IKLVMemoryBuffer* pData) override;
  STDMETHOD(GetImageMaskRaw)(LONG p_X, LONG p_Y, LONG p_Focus, LONG p_Zoom, E_KLVImageType* pType,
                             IKLVMemoryBuffer* pData) override;
  // IKLVZorvel3
  STDMETHOD(GetImageRawBatch)(LONG Channel, LONG ZStack, LONG ZoomLevel, LONG EncodedCount, LONG* EncodedXCoordinates,
                              LONG* EncodedYCoordinates, IKLVMemoryBuffer** EncodedImages) override;
  STDMETHOD(GetImageMaskRawBatch)(LONG Channel, LONG ZStack, LONG ZoomLevel, LONG EncodedCount,
                                  LONG* EncodedXCoordinates, LONG* EncodedYCoordinates,
                                  IKLVMemoryBuffer** EncodedImages) override;
  STDMETHOD(GetImageRawBatchSA)(LONG Channel, LONG ZStack, LONG ZoomLevel, LONG EncodedCount,
                                SAFEARRAY* EncodedXCoordinates, SAFEARRAY* EncodedYCoordinates,
                                SAFEARRAY* EncodedImages) override;
  STDMETHOD(GetImageMaskRawBatchSA)(LONG Channel, LONG ZStack, LONG ZoomLevel, LONG EncodedCount,
                                    SAFEARRAY* EncodedXCoordinates, SAFEARRAY* EncodedYCoordinates,
                                    SAFEARRAY* EncodedImages) override;
  STDMETHOD(GetScanMapRaw)(LONG p_Zoom, IKLVBitmapImage* pPicture) override;

  // Set by the directory-source agent's stop callback when the agent has failed.
  void MarkAborted() { m_bAbort = true; }

  HRESULT CloseSlide();
  HRESULT CreateDicomSource();
  HRESULT OpenNativeZoomImgs(long level, bool extended) override;

  HRESULT TryOpenZoomlevelFound(long level, bool extended);
  HRESULT TryOpenSmallestZoomlevelFound(long level, bool extended, long& levelDifference);
  HRESULT TryOpenNormalOrExtendedSmallestZoomlevelFound(long level);
  HRESULT TryOpenExtendedAndNormalSmallestZoomlevelFound(long level, long& levelDifference);
  // On success `image` shares the opened zoom image: it stays valid after m_csSlide is left.
  HRESULT GetAndOpenSmallestZoomlevelFound(long level, bool extended, long& levelDifference,
                                           std::shared_ptr<const CWSIZoomImage>& image);

  // One encoded tile as the slide stores it; focus -9999 is the extended-focus image. On success
  // data is the library's block (release with free) of size bytes.
  HRESULT GetEncodedSourceTile(long level, long focus, long y, long x, long channel, BYTE*& data, ULONGLONG& size);

  HRESULT CalculateZeroFocusLevel(ULONG& zeroFocusLevel);
  HRESULT CalculateZStackFirstLevel(long& firstLevel);

  // The slide's series instance UID read straight from its DICOM files (empty when none).
  HRESULT GetSlideIDFast(std::u16string& id);

 protected:
  ~CDicomZorvelImpl();

  void ReportWalkFailure(int line, HRESULT hr, const char16_t* function) override;
  // The slide library's level opening; a test double of the library replaces it. m_csSlide held.
  virtual long OpenLibraryZoomLevel(CWSIZoomImage& image, bool extended, long level);

  // Slide property values (DicomZorvelProperties.cpp, DicomZorvelImageProperties.cpp); m_csSlide held
  HRESULT ReadSlideProperty(LONG tag, VARIANT& value);
  static SlideTagTable BuildSlideTagReaders();
  static void AddImageReaders(SlideTagTable& table);
  HRESULT ReadFocusLevelOffset(LONG tag, VARIANT& value);
  HRESULT ReadSlideSize(VARIANT& value);
  HRESULT ReadSlideId(VARIANT& value);
  HRESULT ReadLabelText(VARIANT& value);
  HRESULT ReadDoubleWide(VARIANT& value);
  HRESULT ReadRawZoomList(VARIANT& value);
  HRESULT ReadHistogramParameters(VARIANT& value);
  HRESULT ReadImageFacts(LONG tag, VARIANT& value);
  HRESULT ReadLossiness(LONG tag, VARIANT& value);
  HRESULT ReadCompressionType(VARIANT& value);
  HRESULT ReadPixelSize(bool width, VARIANT& value);
  HRESULT ReadScanningDate(bool utc, VARIANT& value);
  HRESULT ReadSlideType(VARIANT& value);
  HRESULT ReadSoftwareVersion(VARIANT& value);
  HRESULT ReadStudyUid(VARIANT& value);
  // Channel properties (DicomZorvelChannelProperties.cpp); m_csSlide held
  HRESULT OpenCurrentZoomImage();
  HRESULT ReadChannelProperty(LONG tag, LONG channel, VARIANT& value);
  HRESULT ReadChannelName(LONG channel, VARIANT& value);
  HRESULT ReadRealBitDepth(LONG channel, VARIANT& value);
  HRESULT ReadPseudoColorTable(int component, LONG channel, VARIANT& value);
  // Single images (DicomZorvelSingleImages.cpp) and scan map (DicomZorvelScanMap.cpp)
  struct SingleImageBuffer {
    CDicomInteropBase::DeleteDelegatorPtr<uint8_t> data;  // the library's block, shared with copies handed out
    uint64_t size = 0;                                     // bytes of encoded data
    long syntax = 0;                                       // the library's transfer-syntax code
    uint16_t samplesPerPixel = 0, bitsAllocated = 0, width = 0, height = 0;
    bool Loaded() const { return data.get() != nullptr && size != 0; }
  };
  SingleImageBuffer* SingleImageFor(LONG type);
  void ReleaseSingleImages();
  HRESULT ReadSingleImage(LONG type);
  HRESULT LoadSingleImage(LONG type, IKLVBitmapImage*& bitmap);
  HRESULT ConvertSingleImage(const SingleImageBuffer& buffer, IKLVBitmapImage*& bitmap);
  HRESULT ReadEncodedSingleImage(LONG type, VARIANT& value);
  HRESULT ReadSingleImageProperty(LONG type, LONG tag, VARIANT& value);
  HRESULT ReadSingleImageRoi(LONG tag, VARIANT& value);
  HRESULT OpenScanMapLevel(long level);
  // Configuration (DicomZorvelConfig.cpp)
  HRESULT PutObjectProperty(LONG key, const VARIANT& value);
  HRESULT GetAnnotationsObject(VARIANT& value);
  // Opening (DicomZorvelOpen.cpp)
  long ConstructDirectorySource(bool searchSubdirectories, long& slideCount);
  HRESULT SearchSlide();
  void ReleaseDirectorySource(HRESULT& closeResult);
  void LeaveAgent();
  HRESULT CloseSlideLocked();
  bool HasDirectorySource();
  HRESULT ForgetSlideData(std::u16string path);
  // Levels (DicomZorvelLevels.cpp); m_csSlide held
  HRESULT OpenZoomImage(long level, bool extended);
  HRESULT OpenExtendedZoomImage(long level);
  HRESULT OpenNormalZoomImage(long level);
  using ZoomImageTable = std::map<long, std::shared_ptr<const CWSIZoomImage>>;
  HRESULT OpenZoomImageInto(ZoomImageTable& images, long level, bool extended);
  HRESULT ComputeSlideWideData(long level, bool extended);
  HRESULT ComputeZStackData();
  HRESULT InitSlideData();
  HRESULT ComputeTileStride(bool brightfield);
  // Region rendering (DicomZorvelImage.cpp)
  HRESULT OpenRegionLevel(LONG magnification, const Render::ChannelChoice& channels, RegionSlide& slide);
  HRESULT ChooseRegionImage(LONG magnification, const Render::ChannelChoice& channels, bool extendedWalk,
                            long difference, RegionSlide& slide);
  HRESULT PrepareOutputBitmap(IKLVBitmapImage2* bitmap, LONG width, LONG height, LONG& stride, LONG strideIn,
                              LONG formatIn, LONG imageType);
  HRESULT PaintWhitePicture(IKLVBitmapImage* picture, LONG x1, LONG y1, LONG x2, LONG y2);
  // 0x8000000A: the tile is being decoded by another request; the general path takes over.
  HRESULT RenderFastTile(IKLVBitmapImage* picture, const RegionSlide& slide, const RegionPlan& plan);
  HRESULT RenderRegion(IKLVBitmapImage* picture, const RegionSlide& slide, const RegionPlan& plan);
  // Raw tiles (DicomZorvelRawTiles.cpp)
  HRESULT LearnExtendedFocus();
  long RawFocus(LONG hostFocus) const;
  HRESULT OpenRawZoomLevel(long level, long focus);
  bool TakeRawTileSource(long level, long focus, RawTileSource& source);
  HRESULT FindRawTileSource(long level, long focus, RawTileSource& source);
  bool SelectReadyRawLevel(long level, LONG hostFocus, RawTileSource& source, HRESULT& tileSizeCheck);
  HRESULT CheckRawTileSize(const CWSIZoomImage& image) const;
  HRESULT PrepareRawLevel(long level, LONG hostFocus, bool levelNineWalk, const RawReportLines& lines,
                          RawTileSource& source);
  void CountSlideAsOpen();
  void UncountSlide();

  bool m_bConstructed = false;
  std::recursive_mutex m_csSlide;        // directory source and zoom-image tables of this object
  std::recursive_mutex m_csSingleImages;  // single-image buffers; taken before m_csSlide
  std::atomic<bool> m_bHighBitDepthOutput{false};
  std::u16string m_strSlidePath;
  bool m_bSlideOpen = false;  // open/close mutex
  std::shared_ptr<CDirectorySource> m_spDirectorySource;  // shared with every object on the same path
  ZoomImageTable m_normalZoomImages;
  std::set<long> m_failedZoomLevels;  // opening threw: never tried again
  ZoomImageTable m_extendedZoomImages;
  // Levels (and kind: true = extended) whose last opening succeeded; opening one again only
  // makes it current, so the raw paths select it without the walks.
  std::set<std::pair<long, bool>> m_readyZoomLevels;
  const CWSIZoomImage* m_pCurrentZoomImage = nullptr;  // not owned: an entry of one of the two maps
  USHORT m_tileWidth = 0;
  USHORT m_tileHeight = 0;
  std::atomic<bool> m_bExtendedFocus{false};
  bool m_bNormalLevelOpened = false;
  ULONG m_zStackCount = 0;
  USHORT m_bitsStored = 0;
  USHORT m_samplesPerPixel = 0;
  ULONG m_channelCount = 0;
  bool m_bTiledFull = true;
  USHORT m_gridTileWidth = 256;
  USHORT m_gridTileHeight = 256;
  std::map<long, double> m_focusLevelOffsets;  // z offset of each focus level from the stack's middle
  ULONG m_zeroFocusLevel = 0;                  // index of the middle focus plane
  bool m_bSlideDataInitialised = false;
  std::atomic<bool> m_bAbort{false};
  std::atomic<bool> m_bSynchronousOpen{false};
  std::atomic<bool> m_bLargeRawTiles{false};
  std::shared_ptr<DicomGeneralUtils::CDicomImageDecoder> m_pDecoder;  // for the slide's transfer syntax
  LONG m_tileStride = 0;        // bytes per line of a decoded tile in the output format
  CCommonWSIMetadata m_metadata;
  // The scan-map ROI offset of m_metadata in tiles (batch coordinates are given with it), read
  // once with the metadata instead of on every raw call.
  LONG m_roiOffsetTilesX = 0;
  LONG m_roiOffsetTilesY = 0;
  std::shared_ptr<HugeCache::SlideCacheClients> m_caches;  // of the slide opened now; null: none
  // Whether this object's slide is counted among the open lossy or lossless slides, and which.
  enum class SlideCount { None, Lossy, Lossless } m_countedAs = SlideCount::None;
  bool m_bSlideInitialised = false;  // InitSlideData made the decoder for the slide opened now
  SingleImageBuffer m_singleImages[3];  // label, generated preview, overview; m_csSingleImages
};

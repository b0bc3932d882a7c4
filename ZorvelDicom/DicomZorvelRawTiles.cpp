// Raw tile access: encoded tiles exactly as the slide stores them, read straight into the host's
// memory buffers, one at a time or in batches; the mask and scan-map variants are not offered.
// Free-threaded; the level is made ready under m_csSlide, the library reads run outside it on
// a shared reference to the zoom image.
#include <KLVMemoryBufferHelper.h>
#include <base/SeComHelper.h>
#include <zplatform/com_ptr.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "DicomZorvelImpl.h"
#include "ModuleLog.h"
#include "RawTiles/RawTileBatch.h"

namespace {

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr const char16_t* kEncodedTile = u"CDicomZorvelImpl::GetEncodedSourceTile";
constexpr const char16_t* kRaw = u"CDicomZorvelImpl::GetImageRaw";
constexpr const char16_t* kBatch = u"CDicomZorvelImpl::GetImageRawBatch";
constexpr const char16_t* kBatchSA = u"CDicomZorvelImpl::GetImageRawBatchSA";
constexpr long kExtendedFocus = -9999;
constexpr ULONG kHighestZoomLevel = 9;
constexpr USHORT kRawTileSide = 256;

constexpr SeErrorReporter Report{kSource};

struct LibraryBlockFree {
  void operator()(uint8_t* block) const { std::free(block); }
};
using LibraryBlock = std::unique_ptr<uint8_t, LibraryBlockFree>;

using ComBuffer = ComPtr<IKLVMemoryBuffer>;

bool IsRawTileSide(USHORT side, bool largeTiles) {
  return largeTiles ? side != 0 && side % kRawTileSide == 0 : side == kRawTileSide;
}

}  // namespace

// Focus -9999 with an extended-focus layer is that layer; otherwise the host's focus value
// (0 for -9999) less one when the slide has the layer, as the normal planes follow it. The zoom
// image is shared with the caller, who reads from it after leaving m_csSlide. m_csSlide held;
// false when the level is not open.
bool CDicomZorvelImpl::TakeRawTileSource(long level, long focus, RawTileSource& source) {
  source.extended = focus == kExtendedFocus && m_bExtendedFocus;
  long plane = 0;
  if (!source.extended) {
    plane = focus == kExtendedFocus ? 0 : focus;
    if (m_bExtendedFocus) plane -= 1;
  }
  source.plane = static_cast<uint32_t>(plane);
  const auto& images = source.extended ? m_extendedZoomImages : m_normalZoomImages;
  const auto it = images.find(level);
  if (it == images.end()) return false;
  source.image = it->second;
  source.offsetX = m_roiOffsetTilesX;
  source.offsetY = m_roiOffsetTilesY;
  return true;
}

HRESULT CDicomZorvelImpl::FindRawTileSource(long level, long focus, RawTileSource& source) {
  std::lock_guard slide(m_csSlide);
  return TakeRawTileSource(level, focus, source) ? S_OK : Report(1402, E_FAIL, kEncodedTile);
}

HRESULT CDicomZorvelImpl::GetEncodedSourceTile(long level, long focus, long y, long x, long channel, BYTE*& data,
                                               ULONGLONG& size) {
  data = nullptr;
  size = 0;
  RawTileSource source;
  const HRESULT hr = FindRawTileSource(level, focus, source);
  if (FAILED(hr)) return hr;
  uint8_t* block = nullptr;
  uint64_t count = 0;
  bool exists = false;
  long errorCode = 0;
  long result = 0;
  if (source.extended) {
    result = source.image->ReadEncodedTileFromExtendedFocus(static_cast<uint32_t>(x), static_cast<uint32_t>(y),
                                                            static_cast<uint32_t>(channel), &block, &count, &exists,
                                                            &errorCode, nullptr);
  } else {
    result = source.image->ReadEncodedTile(source.plane, static_cast<uint32_t>(x), static_cast<uint32_t>(y),
                                           static_cast<uint32_t>(channel), &block, &count, &exists, &errorCode,
                                           nullptr);
  }
  LibraryBlock owned(block);
  if (result != 0) return Report(1421, static_cast<HRESULT>(result), kEncodedTile);
  if (errorCode != 0) return Report(1423, static_cast<HRESULT>(errorCode), kEncodedTile);
  data = owned.release();
  size = count;
  return S_OK;
}

// Whether the slide has an extended-focus layer is known only once its source is bound; the
// focus translation needs it before the first level opens. m_csSlide held.
HRESULT CDicomZorvelImpl::LearnExtendedFocus() {
  if (m_bSlideInitialised && m_spDirectorySource) return S_OK;
  const HRESULT hr = CreateDicomSource();
  if (FAILED(hr)) return hr;
  bool extendedFocus = false;
  const long result = m_spDirectorySource->IsExtendedFocus(&extendedFocus);
  if (result != 0) return static_cast<HRESULT>(result);
  m_bExtendedFocus = extendedFocus;
  return S_OK;
}

// The host's focus value in the module's form: 0 is the extended-focus image when there is one.
long CDicomZorvelImpl::RawFocus(LONG hostFocus) const {
  return m_bExtendedFocus && hostFocus == 0 ? kExtendedFocus : hostFocus;
}

HRESULT CDicomZorvelImpl::CheckRawTileSize(const CWSIZoomImage& image) const {
  const bool large = m_bLargeRawTiles;
  return IsRawTileSide(image.GetColumns(), large) && IsRawTileSide(image.GetRows(), large) ? S_OK : E_NOTIMPL;
}

// Opens the level for raw reading: the kind the focus asks for first, then the other kind.
// m_csSlide held.
HRESULT CDicomZorvelImpl::OpenRawZoomLevel(long level, long focus) {
  const bool extendedFirst = focus == kExtendedFocus;
  long difference = 0;
  // The walks report the library's stop code themselves; it ends a walk, not the second one.
  HRESULT hr = TryOpenSmallestZoomlevelFound(level, extendedFirst, difference);
  if (FAILED(hr)) hr = TryOpenSmallestZoomlevelFound(level, !extendedFirst, difference);
  if (FAILED(hr)) return E_FAIL;
  if (m_pCurrentZoomImage == nullptr) return E_FAIL;
  return CheckRawTileSize(*m_pCurrentZoomImage);
}

// The raw paths' shortcut for a level opened before: while the source is bound and the slide
// initialised, the level walks would stop at once on the asked level and only make it current
// again (the slide-wide data they recompute come out the same), so it is made current here.
// False when the walks have to run. Level 9 also needs the normal level 9 that its first walk
// would stop on.
bool CDicomZorvelImpl::SelectReadyRawLevel(long level, LONG hostFocus, RawTileSource& source,
                                           HRESULT& tileSizeCheck) {
  std::lock_guard slide(m_csSlide);
  if (!m_spDirectorySource || !m_bSlideInitialised || !m_failedZoomLevels.empty()) return false;
  const long focus = RawFocus(hostFocus);
  const bool extended = focus == kExtendedFocus;
  if (m_readyZoomLevels.count({level, extended}) == 0) return false;
  if (level == static_cast<long>(kHighestZoomLevel) && m_readyZoomLevels.count({level, false}) == 0) return false;
  if (!TakeRawTileSource(level, focus, source)) return false;
  m_pCurrentZoomImage = source.image.get();
  tileSizeCheck = CheckRawTileSize(*source.image);
  return true;
}

namespace {

// The host buffer of one raw tile, sized and lent when the library knows the tile's size; a
// failure of the buffer is kept in hr and gives the read up.
struct HostTileMemory {
  IKLVMemoryBuffer* buffer = nullptr;
  KLVMemoryBufferHelper::CKLVMemoryBufferHelper loan;
  WSIEncodedTileRead read;
  HRESULT hr = S_OK;

  static uint8_t* Provide(void* context, uint64_t size) {
    auto& memory = *static_cast<HostTileMemory*>(context);
    memory.hr = LendSizedBuffer(size, memory.buffer, memory.loan, memory.read);
    return SUCCEEDED(memory.hr) ? memory.read.destination : nullptr;
  }
};

}  // namespace

// One encoded tile of channel 0 read by the library straight into the host buffer, which is
// sized to the tile first: one lookup of the tile, no block of the library's own, no second copy.
static HRESULT ReadOneRawTile(const RawTileSource& source, long x, long y, IKLVMemoryBuffer* buffer) {
  HostTileMemory memory;
  memory.buffer = buffer;
  uint64_t size = 0;
  long errorCode = 0;
  const long result =
      source.image->ReadEncodedTileProvided(source.extended, source.plane, static_cast<uint32_t>(x),
                                            static_cast<uint32_t>(y), 0, &HostTileMemory::Provide, &memory, &size,
                                            &errorCode);
  if (FAILED(memory.hr)) return memory.hr;
  if (result != 0) return ReportTileRead(1421, result);
  if (errorCode != 0) return ReportTileRead(1423, errorCode);
  if (size == 0) return E_INVALIDARG;  // the level does not store the tile
  return memory.loan.PassRWPtr(static_cast<LONG>(memory.read.capacity), reinterpret_cast<char*>(memory.read.destination));
}

// Fills the host buffers of a batch in order, a RawTileBatch at a time. A buffer named twice is
// filled for its first entry before it is lent again; the first failure ends the call after the
// tiles before it have been written.
static HRESULT ReadRawTiles(const RawTileSource& source, LONG count, const LONG* xs, const LONG* ys,
                            IKLVMemoryBuffer* const* buffers) {
  RawTileBatch batch(source);
  for (LONG i = 0; i < count; ++i) {
    if (batch.Full() || batch.Holds(buffers[i])) {
      const HRESULT hr = batch.Read();
      if (FAILED(hr)) return hr;
    }
    const HRESULT hr = buffers[i] == nullptr ? E_INVALIDARG : batch.Add(xs[i] - source.offsetX, ys[i] - source.offsetY, buffers[i]);
    if (FAILED(hr)) {
      const HRESULT earlier = batch.Read();
      return FAILED(earlier) ? earlier : hr;
    }
  }
  return batch.Read();
}

// The level of a raw call made ready under m_csSlide, its image shared into `source`; nothing is
// held across the reads. A level opened before is taken at once; otherwise the source is bound
// first (a directory without a slide fails here, once), then level 9 gets its own walk, then the
// level is opened. `lines` are the caller's report lines for those three steps.
HRESULT CDicomZorvelImpl::PrepareRawLevel(long level, LONG hostFocus, bool levelNineWalk, const RawReportLines& lines,
                                          RawTileSource& source) {
  HRESULT hr = S_OK;
  if (SelectReadyRawLevel(level, hostFocus, source, hr)) return FAILED(hr) ? Report(lines.open, hr, lines.function) : S_OK;
  std::lock_guard slide(m_csSlide);
  hr = LearnExtendedFocus();
  if (FAILED(hr)) return Report(lines.bind, hr, lines.function);
  if (levelNineWalk && level == static_cast<long>(kHighestZoomLevel)) {
    hr = TryOpenNormalOrExtendedSmallestZoomlevelFound(level);
    if (FAILED(hr)) return Report(lines.levelNine, hr, lines.function);
  }
  const long focus = RawFocus(hostFocus);
  hr = OpenRawZoomLevel(level, focus);
  if (FAILED(hr)) return Report(lines.open, hr, lines.function);
  hr = FindRawTileSource(level, focus, source);
  if (FAILED(hr)) return Report(lines.find, hr, lines.function);
  return S_OK;
}

STDMETHODIMP CDicomZorvelImpl::GetImageRaw(LONG p_X, LONG p_Y, LONG, LONG p_Focus, LONG p_Zoom, E_KLVImageType*,
                                           IKLVMemoryBuffer* pData) {
  try {
    if (static_cast<ULONG>(p_Zoom) > kHighestZoomLevel) return Report(1491, E_INVALIDARG, kRaw);
    RawTileSource source;
    HRESULT hr = PrepareRawLevel(p_Zoom, p_Focus, true, {1497, 1495, 1499, 1501, kRaw}, source);
    if (FAILED(hr)) return hr;
    hr = ReadOneRawTile(source, p_X, p_Y, pData);
    if (FAILED(hr)) return Report(1501, hr, kRaw);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return Report(1504, E_OUTOFMEMORY, kRaw);
  } catch (...) {
    return Report(1506, E_FAIL, kRaw);
  }
}

STDMETHODIMP CDicomZorvelImpl::GetImageRawBatch(LONG, LONG ZStack, LONG ZoomLevel, LONG EncodedCount,
                                                LONG* EncodedXCoordinates, LONG* EncodedYCoordinates,
                                                IKLVMemoryBuffer** EncodedImages) {
  try {
    if (static_cast<ULONG>(ZoomLevel) > kHighestZoomLevel) return Report(1514, E_INVALIDARG, kBatch);
    RawTileSource source;
    HRESULT hr = PrepareRawLevel(ZoomLevel, ZStack, false, {1515, 1515, 1517, 1527, kBatch}, source);
    if (FAILED(hr)) return hr;
    if (EncodedCount < 1) return S_OK;
    if (EncodedXCoordinates == nullptr || EncodedYCoordinates == nullptr || EncodedImages == nullptr) {
      return Report(1522, E_INVALIDARG, kBatch);
    }
    if (EncodedImages[0] == nullptr) return Report(1525, E_INVALIDARG, kBatch);
    hr = ReadRawTiles(source, EncodedCount, EncodedXCoordinates, EncodedYCoordinates, EncodedImages);
    if (FAILED(hr)) return Report(1528, hr, kBatch);
    return S_OK;
  } catch (const std::bad_alloc&) {
    return Report(1532, E_OUTOFMEMORY, kBatch);
  } catch (...) {
    return Report(1534, E_FAIL, kBatch);
  }
}

// Links a host array and checks its element type (VT_ARRAY cleared) and its length.
static HRESULT LinkHostVector(SAFEARRAY* array, VARTYPE elementType, LONG count, CSeSafeVector& vector) {
  if (array == nullptr) return E_INVALIDARG;
  HRESULT hr = vector.LinkTo(array);
  if (FAILED(hr)) return hr;
  if (vector.GetElementType() != elementType) return E_INVALIDARG;
  hr = vector.CheckVariant();
  if (FAILED(hr)) return hr;
  LONG length = 0;
  hr = vector.GetVectorSize(length);
  if (FAILED(hr)) return hr;
  return length == count ? S_OK : E_INVALIDARG;
}

STDMETHODIMP CDicomZorvelImpl::GetImageRawBatchSA(LONG Channel, LONG ZStack, LONG ZoomLevel, LONG EncodedCount,
                                                  SAFEARRAY* EncodedXCoordinates, SAFEARRAY* EncodedYCoordinates,
                                                  SAFEARRAY* EncodedImages) {
  if (EncodedCount < 1) return S_OK;
  try {
    CSeSafeVector xs, ys, images;
    HRESULT hr = LinkHostVector(EncodedXCoordinates, VT_I4, EncodedCount, xs);
    if (SUCCEEDED(hr)) hr = LinkHostVector(EncodedYCoordinates, VT_I4, EncodedCount, ys);
    if (SUCCEEDED(hr)) hr = LinkHostVector(EncodedImages, VT_UNKNOWN, EncodedCount, images);
    if (FAILED(hr)) return Report(1561, hr, kBatchSA);
    void* x = nullptr;
    void* y = nullptr;
    void* elements = nullptr;
    hr = xs.AccessData(&x);
    if (SUCCEEDED(hr)) hr = ys.AccessData(&y);
    if (SUCCEEDED(hr)) hr = images.AccessData(&elements);
    if (FAILED(hr)) return Report(1568, hr, kBatchSA);
    // The array holds IUnknown pointers: each is asked for its buffer interface, not cast to it.
    std::vector<ComBuffer> buffers(static_cast<size_t>(EncodedCount));
    std::vector<IKLVMemoryBuffer*> rawBuffers(buffers.size(), nullptr);
    for (size_t i = 0; i < buffers.size(); ++i) {
      IUnknown* element = static_cast<IUnknown**>(elements)[i];
      if (element == nullptr) continue;
      IKLVMemoryBuffer* buffer = nullptr;
      if (SUCCEEDED(element->QueryInterface(IID_IKLVMemoryBuffer, reinterpret_cast<void**>(&buffer)))) {
        buffers[i].Reset(buffer);
        rawBuffers[i] = buffer;
      }
    }
    hr = GetImageRawBatch(Channel, ZStack, ZoomLevel, EncodedCount, static_cast<LONG*>(x), static_cast<LONG*>(y),
                          rawBuffers.data());
    HRESULT unlocked = xs.UnaccessData();
    if (SUCCEEDED(unlocked)) unlocked = ys.UnaccessData();
    if (SUCCEEDED(unlocked)) unlocked = images.UnaccessData();
    if (SUCCEEDED(hr) && FAILED(unlocked)) hr = unlocked;
    if (FAILED(hr)) return Report(1575, hr, kBatchSA);
    return S_OK;
  } catch (...) {
    return Report(1578, E_FAIL, kBatchSA);
  }
}

STDMETHODIMP CDicomZorvelImpl::GetImageMaskRaw(LONG, LONG, LONG, LONG, E_KLVImageType*, IKLVMemoryBuffer*) {
  return Report(1583, E_NOTIMPL, u"CDicomZorvelImpl::GetImageMaskRaw");
}

STDMETHODIMP CDicomZorvelImpl::GetImageMaskRawBatch(LONG, LONG, LONG, LONG, LONG*, LONG*, IKLVMemoryBuffer**) {
  return Report(1587, E_NOTIMPL, u"CDicomZorvelImpl::GetImageMaskRawBatch");
}

STDMETHODIMP CDicomZorvelImpl::GetImageMaskRawBatchSA(LONG, LONG, LONG, LONG, SAFEARRAY*, SAFEARRAY*, SAFEARRAY*) {
  return Report(1591, E_NOTIMPL, u"CDicomZorvelImpl::GetImageMaskRawBatchSA");
}

STDMETHODIMP CDicomZorvelImpl::GetScanMapRaw(LONG, IKLVBitmapImage*) {
  return Report(1595, E_NOTIMPL, u"CDicomZorvelImpl::GetScanMapRaw");
}

// Region rendering: GetImage renders a block of grid tiles of one zoom level, focus plane and channel
// selection into a host bitmap, shrinking a finer level by 2^d where the requested one is absent.
// Free-threaded: the slide's fields are read once under m_csSlide; the pixel work runs unlocked.
#include <KLVInterfaces/KLVHostObjects.h>
#include <KLVZorvelHelper.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <tuple>

#include <concrt.h>
#include <winbase.h>

#include "DicomZorvelImpl.h"
#include "ModuleLog.h"
#include "OpenSlideCounters.h"
#include "HugeCache/SlideCacheClients.h"
#include "Pipeline/SourceAgentHolder.h"
#include "Pipeline/TileLoader.h"
#include "Pipeline/ViewpartState.h"
#include "ProcessSettings.h"
#include "Render/ChannelSelection.h"
#include "Render/RegionRender.h"

// What one GetImage call reads from the slide-access object, taken under m_csSlide.
struct RegionSlide {
  // Shared with the object's tables: valid for the whole call even when the slide is closed or
  // another one opened meanwhile.
  std::shared_ptr<const CWSIZoomImage> image;
  std::shared_ptr<CDirectorySource> source;
  std::shared_ptr<DicomGeneralUtils::CDicomImageDecoder> decoder;  // null for uncompressed frames
  long difference = 0;                                      // d
  int32_t zoomLevel = 0;                                    // the level read
  int32_t focusIndex = 0;                                   // library plane, -1 for extended focus
  int64_t levelWidth = 0, levelHeight = 0;                  // LW, LH
  int64_t tileWidth = 0, tileHeight = 0, gridWidth = 256, gridHeight = 256;
  int samples = 3;
  USHORT bitsStored = 8;
  ULONG channelCount = 1;
  bool brightfield = true;
  bool tiledFull = true;
  bool cacheEncoded = false;
  bool highBitDepth = false;
  // The cache clients of the slide the call started on (null: none), and the two within them.
  std::shared_ptr<HugeCache::SlideCacheClients> caches;
  HugeCache::EncodedTileCache* encodedCache = nullptr;
  HugeCache::DecodedTileCache* decodedCache = nullptr;
  int64_t decodedCacheStride = 0;  // line length of the tiles the decoded cache was set up for
  Concurrency::Scheduler* scheduler = nullptr;  // the call's, when key 50006 asks for one
};

namespace {

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr const char16_t* kGetImage = u"CDicomZorvelImpl::GetImage";
constexpr ULONG kHighestLevel = 9;
constexpr LONG kFocusCodeBase = 1000;
constexpr HRESULT kStopCode = ZoomLevelWalks::kStopCode;
constexpr uint8_t kWhite = 0xFF;
// The fast path's answer when another request is still decoding the tile: the general path takes over.
constexpr HRESULT kTileBeingDecoded = static_cast<HRESULT>(0x8000000Au);
// Bitmaps above this many bytes cannot be lent (the lent byte count is 32-bit).
constexpr int64_t kLargestBitmapBytes = std::numeric_limits<LONG>::max();

constexpr SeErrorReporter Report{kSource, kGetImage};

// A scheduler limited to the configured concurrency for the call's blocks and loops, if one is set.
class CallScheduler {
 public:
  explicit CallScheduler(ULONGLONG maxConcurrency) {
    if (maxConcurrency == 0) return;
    const auto limit = static_cast<unsigned int>(std::min<ULONGLONG>(maxConcurrency, 0xFFFFFFFEu));
    Concurrency::CurrentScheduler::Create(
        Concurrency::SchedulerPolicy(2, Concurrency::MinConcurrency, 1u, Concurrency::MaxConcurrency, limit));
    m_attached = true;
  }
  // The scheduler attached for the call, or null.
  Concurrency::Scheduler* Get() const { return m_attached ? Concurrency::CurrentScheduler::Get() : nullptr; }
  ~CallScheduler() {
    if (m_attached) Concurrency::CurrentScheduler::Detach();
  }
  CallScheduler(const CallScheduler&) = delete;
  CallScheduler& operator=(const CallScheduler&) = delete;

 private:
  bool m_attached = false;
};

LONG ImageType(bool brightfield, USHORT bitsStored) {
  if (brightfield) return bitsStored <= 8 ? 1 : 2;
  return bitsStored <= 8 ? 4 : 6;
}

// The encoded tile from the encoded cache, else from the slide (then kept for lossy slides).
HRESULT ReadFastTile(const RegionSlide& slide, int32_t x, int32_t y, int32_t channel,
                     CDicomInteropBase::DeleteDelegatorPtr<unsigned char>& data, uint64_t& size) {
  if (slide.encodedCache != nullptr) {
    ULONG cached = 0;
    data = slide.encodedCache->FindTile(slide.focusIndex, slide.zoomLevel, channel, y, x, cached);
    size = cached;
    if (cached != HugeCache::kTileNotFound) return S_OK;
  }
  const HRESULT hr = Pipeline::TileLoader::GetEncodedSourceTile(*slide.image, slide.focusIndex, x, y, channel, data, size);
  if (SUCCEEDED(hr) && slide.cacheEncoded && slide.encodedCache != nullptr) {
    slide.encodedCache->AddTile(slide.focusIndex, slide.zoomLevel, channel, y, x, data, static_cast<ULONG>(size));
  }
  return hr;
}

// One decode and one placement stage per hardware thread.
size_t HardwareThreads() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return std::max<size_t>(1, info.dwNumberOfProcessors);
}

int64_t RoundUp4(int64_t bytes) { return (bytes + 3) / 4 * 4; }

struct Bitmap2 {
  IKLVBitmapImage2* p = nullptr;
  ~Bitmap2() {
    if (p != nullptr) p->Release();
  }
};

// The host's bitmap as IKLVBitmapImage2; E_INVALIDARG (reported as the lock helper does) without it.
HRESULT QueryBitmap2(IKLVBitmapImage* picture, Bitmap2& bitmap) {
  if (FAILED(picture->QueryInterface(IID_IKLVBitmapImage2, reinterpret_cast<void**>(&bitmap.p))) ||
      bitmap.p == nullptr) {
    bitmap.p = nullptr;
    return SeReportError(u"KLVZorvelHelper", 181, E_INVALIDARG,
                         u"KLVZorvelHelper::CKLVBitmapImage2LockHelper::RWLockBitsForNative");
  }
  return S_OK;
}

// Reads the tiles of a request on the calling thread: the agent is not there to serve it. A tile
// deferred while another request decodes it is read again until the request is finished.
void ServeInline(const std::shared_ptr<Pipeline::ViewpartState>& request) {
  constexpr unsigned int kPendingPollMs = 2;
  while (!request->IsDone()) {
    const int32_t channel = request->currentChannel;
    int32_t column = 0, row = 0;
    request->NextTile(column, row);
    Pipeline::TileLoader::ReadTile(request, column, row, channel);
  }
  while (!request->WaitFinished(kPendingPollMs)) {
    for (const auto& tile : request->TakePending()) {
      Pipeline::TileLoader::ReadTile(request, tile.column, tile.row, tile.channel);
    }
  }
}

}  // namespace

// Walks the levels (step 7) and takes what the call needs from the object (step 8).
HRESULT CDicomZorvelImpl::OpenRegionLevel(LONG magnification, const Render::ChannelChoice& channels,
                                          RegionSlide& slide) {
  constexpr int kWalkLine = 2415;
  // One hold from the walk to the choice: a slide opened meanwhile cannot empty the tables between.
  std::lock_guard lock(m_csSlide);
  const bool focusPlane = channels.hasFocus;
  const bool firstExtended = !focusPlane;
  long difference = 0;
  bool extendedWalk = firstExtended;
  HRESULT hr = TryOpenSmallestZoomlevelFound(magnification, firstExtended, difference);
  if (FAILED(hr)) {
    extendedWalk = !firstExtended;
    hr = TryOpenSmallestZoomlevelFound(magnification, extendedWalk, difference);
    if (hr == kStopCode) return Report(kWalkLine, hr);
    if (FAILED(hr)) return Report(kWalkLine, E_FAIL);
  }
  return ChooseRegionImage(magnification, channels, extendedWalk, difference, slide);
}

// With a focus plane the normal image of the level is read; without one the extended-focus image
// when the slide has it at that level. A level opened only as the other kind is not read.
HRESULT CDicomZorvelImpl::ChooseRegionImage(LONG magnification, const Render::ChannelChoice& channels,
                                            bool extendedWalk, long difference, RegionSlide& slide) {
  const bool focusPlane = channels.hasFocus;
  std::lock_guard lock(m_csSlide);
  const long level = magnification - difference;
  if (!extendedWalk && !focusPlane && m_normalZoomImages.count(level) == 0) return Report(2421, E_FAIL);
  if (extendedWalk && focusPlane && m_extendedZoomImages.count(level) == 0) return Report(2428, E_FAIL);
  if (m_spDirectorySource) m_spDirectorySource->SetPreReading(ProcessSettings::Instance().preReading);
  const auto extended = m_extendedZoomImages.find(level);
  const bool useExtended = !focusPlane && extended != m_extendedZoomImages.end();
  if (!useExtended && m_normalZoomImages.count(level) == 0) return Report(2421, E_FAIL);
  slide.image = useExtended ? extended->second : m_normalZoomImages[level];
  slide.source = m_spDirectorySource;
  slide.decoder = m_pDecoder && m_pDecoder->IsSupported() ? m_pDecoder : nullptr;
  slide.difference = difference;
  slide.zoomLevel = static_cast<int32_t>(level);
  slide.focusIndex = useExtended ? -1 : 0;
  if (focusPlane) {
    const int64_t plane = int64_t{m_zeroFocusLevel} - kFocusCodeBase + channels.focusCode;
    const int64_t index = m_bExtendedFocus ? plane - 1 : plane;
    // -1 would read the extended-focus image: a plane outside the stack is refused instead.
    if (index < 0 || index >= std::max<int64_t>(m_zStackCount, 1)) return Report(2374, E_INVALIDARG);
    slide.focusIndex = static_cast<int32_t>(index);
  }
  slide.levelWidth = int64_t{slide.image->GetTotalPixelMatrixColumns()} >> difference;
  slide.levelHeight = int64_t{slide.image->GetTotalPixelMatrixRows()} >> difference;
  slide.tileWidth = m_tileWidth;
  slide.tileHeight = m_tileHeight;
  slide.gridWidth = m_gridTileWidth;
  slide.gridHeight = m_gridTileHeight;
  slide.samples = m_samplesPerPixel == 1 ? 1 : 3;
  slide.bitsStored = m_bitsStored;
  slide.channelCount = m_channelCount;
  slide.brightfield = slide.image->IsUnmixedBrightfield();
  slide.tiledFull = m_bTiledFull;
  slide.highBitDepth = m_bHighBitDepthOutput;
  slide.cacheEncoded = !OpenSlideCounters::IsLosslessTransferSyntax(slide.image->GetTransferSyntax());
  if (m_caches) {
    slide.caches = m_caches;
    slide.encodedCache = &m_caches->encoded;
    slide.decodedCache = &m_caches->decoded;
    slide.decodedCacheStride = m_tileStride;
  }
  return S_OK;
}

HRESULT CDicomZorvelImpl::PrepareOutputBitmap(IKLVBitmapImage2* bitmap, LONG width, LONG height, LONG& stride,
                                              LONG strideIn, LONG formatIn, LONG imageType) {
  LONG format = formatIn;
  stride = strideIn;
  if (strideIn == static_cast<LONG>(0xFFFFFFFF) || formatIn == 0) {
    const bool wide = (imageType == 2 || imageType == 6) && m_bHighBitDepthOutput;
    stride = static_cast<LONG>(RoundUp4(int64_t{width} * (wide ? 6 : 3)));
    format = wide ? DicomGeneralUtils::kFormat48bppBgr : DicomGeneralUtils::kFormat24bppBgr;
  }
  LONG currentWidth = 0, currentHeight = 0, currentStride = 0, currentFormat = 0;
  bitmap->get_Width(&currentWidth);
  bitmap->get_Height(&currentHeight);
  bitmap->get_Stride(&currentStride);
  bitmap->get_PixelFormat(&currentFormat);
  if (currentWidth == width && currentHeight == height && currentStride == stride && currentFormat == format) {
    return S_OK;
  }
  return bitmap->Create(width, height, stride, format);
}

// Any channel -2: an all-white 24-bit picture of the requested size, whatever the order of the range.
HRESULT CDicomZorvelImpl::PaintWhitePicture(IKLVBitmapImage* picture, LONG x1, LONG y1, LONG x2, LONG y2) {
  Bitmap2 bitmap;
  HRESULT hr = QueryBitmap2(picture, bitmap);
  if (FAILED(hr)) return hr;
  const int64_t width = (std::abs(int64_t{x2} - x1) + 1) * m_gridTileWidth;
  const int64_t height = (std::abs(int64_t{y2} - y1) + 1) * m_gridTileHeight;
  if (RoundUp4(width * 3) * height > kLargestBitmapBytes) return Report(2374, E_INVALIDARG);
  LONG stride = static_cast<LONG>(RoundUp4(width * 3));
  hr = PrepareOutputBitmap(bitmap.p, static_cast<LONG>(width), static_cast<LONG>(height), stride, stride,
                           DicomGeneralUtils::kFormat24bppBgr, 1);
  if (FAILED(hr)) return Report(2374, hr);
  KLVZorvelHelper::CKLVBitmapImage2LockHelper lock;
  ULONG size = 0;
  BYTE* bits = nullptr;
  if (SUCCEEDED(lock.RWLockBitsForNative(bitmap.p, size, bits)) && bits != nullptr) std::memset(bits, kWhite, size);
  return S_OK;
}

// One call's sizes and flags derived from the slide and the arguments.
struct RegionPlan {
  Render::RegionRequest request;
  Render::ClippedRegion clipped;
  Render::ChannelRange channels;
  LONG imageType = 1;
  int sourceBytes = 1;  // = output bytes per sample
  bool reduce = false;
  uint8_t backgroundByte = 0;
};

namespace {

RegionPlan PlanRegion(const RegionSlide& slide, LONG x1, LONG y1, LONG x2, LONG y2, int32_t blue) {
  RegionPlan plan;
  plan.request = {x1, y1, x2, y2, static_cast<int>(slide.difference), slide.levelWidth, slide.levelHeight,
                  slide.gridWidth, slide.gridHeight, slide.tileWidth, slide.tileHeight};
  plan.clipped = Render::ClipRegion(plan.request);
  plan.channels = Render::ChannelsToRead(blue, slide.channelCount, static_cast<uint32_t>(slide.samples));
  plan.imageType = ImageType(slide.brightfield, slide.bitsStored);
  const bool wide = plan.imageType == 2 || plan.imageType == 6;
  plan.sourceBytes = wide && slide.highBitDepth ? 2 : 1;
  plan.reduce = wide && !slide.highBitDepth;
  plan.backgroundByte = slide.brightfield ? 0xFF : 0x00;
  return plan;
}

bool TakesFastPath(const RegionSlide& slide, const RegionPlan& plan) {
  const auto& r = plan.request;
  const auto& c = plan.clipped;
  return slide.samples == 3 && slide.decoder != nullptr && !plan.channels.empty() &&
         r.gridWidth == r.tileWidth && r.gridHeight == r.tileHeight && c.intersects && c.single && r.shift == 0 &&
         !plan.reduce && (c.x2 + 1) * r.gridWidth <= r.levelWidth && (c.y2 + 1) * r.gridHeight <= r.levelHeight;
}

// The decoded cache holds tiles of the layout it was set up with (output sample size at opening).
HugeCache::DecodedTileCache* DecodedCacheFor(const RegionSlide& slide, const RegionPlan& plan) {
  const int64_t stride = RoundUp4(slide.tileWidth * slide.samples * plan.sourceBytes);
  return stride == slide.decodedCacheStride ? slide.decodedCache : nullptr;
}

}  // namespace

STDMETHODIMP CDicomZorvelImpl::GetImage(LONG x1, LONG y1, LONG x2, LONG y2, LONG Magnification, LONG RedChn,
                                        LONG GreenChn, LONG BlueChn, IKLVBitmapImage* pPicture) {
  try {
    CallScheduler scheduler(ProcessSettings::Instance().MaxConcurrency());
    if (Pipeline::SourceAgentHolder::Instance().AgentFailed() || m_bAbort) return Report(2357, E_FAIL);
    if (static_cast<ULONG>(Magnification) > kHighestLevel) return Report(2374, E_INVALIDARG);
    if (pPicture == nullptr) return Report(2378, E_INVALIDARG);
    if (static_cast<ULONG>(Magnification) == kHighestLevel) {
      const HRESULT hr = TryOpenNormalOrExtendedSmallestZoomlevelFound(Magnification);
      if (FAILED(hr)) return Report(2383, hr);
    }
    const Render::ChannelChoice channels = Render::ResolveChannels(RedChn, GreenChn, BlueChn);
    RegionSlide slide;
    HRESULT hr = OpenRegionLevel(Magnification, channels, slide);
    if (FAILED(hr)) return hr;
    slide.scheduler = scheduler.Get();
    if (channels.white()) return PaintWhitePicture(pPicture, x1, y1, x2, y2);
    if (x1 > x2 || y1 > y2) return S_OK;
    const RegionPlan plan = PlanRegion(slide, x1, y1, x2, y2, channels.blue);
    if (TakesFastPath(slide, plan)) {
      hr = RenderFastTile(pPicture, slide, plan);
      if (hr != kTileBeingDecoded) return hr;
    }
    return RenderRegion(pPicture, slide, plan);
  } catch (const std::bad_alloc&) {
    return Report(2561, E_OUTOFMEMORY);
  } catch (...) {
    return Report(2561, E_FAIL);
  }
}

// One tile that maps one-to-one onto the bitmap: copied from the decoded cache, or decoded
// straight into the host's pixels from the encoded cache or the slide.
HRESULT CDicomZorvelImpl::RenderFastTile(IKLVBitmapImage* picture, const RegionSlide& slide, const RegionPlan& plan) {
  const auto& r = plan.request;
  const auto x = static_cast<int32_t>(r.x1), y = static_cast<int32_t>(r.y1);
  const int32_t channel = plan.channels.first;
  Bitmap2 bitmap;
  HRESULT hr = QueryBitmap2(picture, bitmap);
  if (FAILED(hr)) return hr;
  LONG stride = 0;
  const auto width = static_cast<LONG>(r.gridWidth), height = static_cast<LONG>(r.gridHeight);
  hr = PrepareOutputBitmap(bitmap.p, width, height, stride, static_cast<LONG>(0xFFFFFFFF), 0, plan.imageType);
  if (FAILED(hr)) return Report(2549, hr);
  KLVZorvelHelper::CKLVBitmapImage2LockHelper lock;
  ULONG locked = 0;
  BYTE* bits = nullptr;
  hr = lock.RWLockBitsForNative(bitmap.p, locked, bits);
  if (FAILED(hr)) return hr;
  const size_t tileBytes = static_cast<size_t>(stride) * static_cast<size_t>(height);
  if (bits == nullptr || locked < tileBytes) return Report(2549, E_FAIL);
  if (HugeCache::DecodedTileCache* cache = DecodedCacheFor(slide, plan)) {
    if (const unsigned char* slot = cache->Find(slide.focusIndex, slide.zoomLevel, channel, y, x, true)) {
      std::memcpy(bits, slot, tileBytes);
      cache->Release(slot);
      return S_OK;
    }
    if (cache->IsPending(slide.focusIndex, slide.zoomLevel, channel, y, x)) return kTileBeingDecoded;
  }
  CDicomInteropBase::DeleteDelegatorPtr<unsigned char> data;
  uint64_t size = 0;
  hr = ReadFastTile(slide, x, y, channel, data, size);
  if (FAILED(hr)) return Report(2542, hr);
  if (data == nullptr || size == 0) {
    std::memset(bits, plan.backgroundByte, locked);
    return S_OK;
  }
  hr = slide.decoder->DecodeExact(data.get(), static_cast<ULONG>(size), 3, bits, locked, width, height);
  return FAILED(hr) ? Report(2549, hr) : S_OK;
}

namespace {

// Without a channel to read, or with fewer than three channels in one-sample pixels, some bytes on
// the slide get no tile: the whole picture is painted first, before any tile is placed.
bool PaintsAllFirst(const RegionSlide& slide, const RegionPlan& plan) {
  return plan.channels.empty() || (slide.samples == 1 && plan.channels.count() < 3);
}

Render::RegionTiles DescribeTiles(const RegionSlide& slide, const RegionPlan& plan) {
  Render::RegionTiles tiles;
  tiles.request = plan.request;
  tiles.clipped = plan.clipped;
  tiles.background = Render::ComputeBackground(plan.request, plan.clipped.intersects && !PaintsAllFirst(slide, plan),
                                               plan.sourceBytes);
  tiles.backgroundByte = plan.backgroundByte;
  tiles.samples = slide.samples;
  tiles.sourceBytes = plan.sourceBytes;
  tiles.reduce = plan.reduce;
  tiles.tileStride = RoundUp4(slide.tileWidth * slide.samples * plan.sourceBytes);
  tiles.tileStrideNative = plan.reduce ? RoundUp4(slide.tileWidth * slide.samples * 2) : tiles.tileStride;
  tiles.decoder = slide.decoder.get();
  tiles.decodedCache = DecodedCacheFor(slide, plan);
  tiles.frame = {slide.tileWidth, slide.tileHeight, slide.samples, slide.bitsStored > 8 ? 2 : 1};
  return tiles;
}

std::shared_ptr<Pipeline::ViewpartState> MakeViewRequest(const RegionSlide& slide, const RegionPlan& plan,
                                                         Pipeline::RequestTargets& targets) {
  Pipeline::ViewpartState::Source source;
  source.zoomImage = slide.image.get();
  // The request, and the agent's read-ahead after it, may outlive the call and the object.
  source.keepAlive = std::make_shared<std::tuple<std::shared_ptr<const CWSIZoomImage>, std::shared_ptr<CDirectorySource>,
                                                 std::shared_ptr<HugeCache::SlideCacheClients>>>(slide.image, slide.source,
                                                                                                 slide.caches);
  source.directorySource = slide.source.get();
  source.focus = slide.focusIndex;
  source.zoomLevel = slide.zoomLevel;
  source.firstChannel = plan.channels.first;
  source.lastChannel = plan.channels.last;
  source.firstColumn = plan.clipped.c0;
  source.lastColumn = plan.clipped.c1;
  source.firstRow = plan.clipped.r0;
  source.lastRow = plan.clipped.r1;
  source.encodedCache = slide.encodedCache;
  source.decodedCache = DecodedCacheFor(slide, plan);
  auto request = Pipeline::ViewpartState::MakeView(std::move(source), &targets, slide.tiledFull, slide.cacheEncoded);
  request->scheduler = slide.scheduler;
  return request;
}

// Hands the request to the agent (or reads it here when there is none) and waits for every tile.
HRESULT RunRequest(const RegionSlide& slide, const RegionPlan& plan, Render::RegionRender& render) {
  const auto request = MakeViewRequest(slide, plan, render.Targets());
  if (request->tileCount == 0) return S_OK;
  if (!Pipeline::SourceAgentHolder::Instance().Submit(request)) ServeInline(request);
  request->WaitFinished();
  request->WaitForReads();
  return request->Error();
}

}  // namespace

// The general path: background and tiles painted by the call's block network into the locked bitmap.
HRESULT CDicomZorvelImpl::RenderRegion(IKLVBitmapImage* picture, const RegionSlide& slide, const RegionPlan& plan) {
  Bitmap2 bitmap;
  HRESULT hr = QueryBitmap2(picture, bitmap);
  if (FAILED(hr)) return hr;
  const auto& r = plan.request;
  const int64_t width = (r.x2 - r.x1 + 1) * r.gridWidth, height = (r.y2 - r.y1 + 1) * r.gridHeight;
  if (RoundUp4(width * 3 * plan.sourceBytes) * height > kLargestBitmapBytes) return Report(2577, E_INVALIDARG);
  LONG stride = 0;
  hr = PrepareOutputBitmap(bitmap.p, static_cast<LONG>(width), static_cast<LONG>(height), stride,
                           static_cast<LONG>(0xFFFFFFFF), 0, plan.imageType);
  if (FAILED(hr)) return Report(2577, hr);
  KLVZorvelHelper::CKLVBitmapImage2LockHelper lock;
  ULONG locked = 0;
  BYTE* bits = nullptr;
  hr = lock.RWLockBitsForNative(bitmap.p, locked, bits);
  if (FAILED(hr)) return hr;
  if (bits == nullptr || locked < static_cast<uint64_t>(stride) * static_cast<uint64_t>(height)) {
    return Report(2577, E_FAIL);
  }
  Render::RegionTiles tiles = DescribeTiles(slide, plan);
  tiles.out = {bits, stride, plan.sourceBytes};
  tiles.lockedBytes = locked;
  Render::RegionRender render(tiles, HardwareThreads());
  render.PaintBackground();
  if (PaintsAllFirst(slide, plan)) render.WaitBackground();
  HRESULT requestError = S_OK;
  if (plan.clipped.intersects && !plan.channels.empty()) requestError = RunRequest(slide, plan, render);
  render.WaitBackground();
  hr = render.Result(requestError);
  return hr != S_OK ? Report(2848, hr) : S_OK;
}

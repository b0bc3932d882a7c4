// The Python package's slide: calls of the automation interface, each failure returned with the
// HRESULT and the name of the call that failed.
#include "SlideHandle.h"

#include <algorithm>
#include <iterator>

#include <objbase.h>
#include <oleauto.h>

#include <zplatform/text.h>

#include "HostBitmap.h"
#include "RegionArithmetic.h"
#include "SlideProperties.h"
#include "VariantText.h"

namespace zorvel_py {
namespace {

constexpr LONG kSlideWidthTag = 306;
constexpr LONG kExistingTag = 502;
constexpr std::int64_t kMaxBitmapBytes = std::int64_t{256} << 20;
constexpr size_t kIdleBitmaps = 4;

const CallResult kClosed{E_UNEXPECTED, "slide is closed"};

using zorvel_cli::VariantHolder;

CallResult Failed(HRESULT hr, std::string call) { return {hr, std::move(call)}; }

// Lends the bitmap's bytes for reading and hands them back when it goes out of scope.
class BitmapView {
 public:
  explicit BitmapView(IKLVBitmapImage* bitmap) : m_bitmap(bitmap) {}
  ~BitmapView() {
    if (m_bits != nullptr) m_bitmap->UnlockBits(m_bits);
  }
  BitmapView(const BitmapView&) = delete;
  BitmapView& operator=(const BitmapView&) = delete;

  HRESULT Lock() {
    HRESULT hr = m_bitmap->LockBits(&m_bits);
    if (SUCCEEDED(hr)) hr = m_bitmap->get_Width(&width);
    if (SUCCEEDED(hr)) hr = m_bitmap->get_Height(&height);
    if (SUCCEEDED(hr)) hr = m_bitmap->get_Stride(&stride);
    if (SUCCEEDED(hr)) hr = m_bitmap->get_PixelFormat(&format);
    return hr;
  }
  const std::uint8_t* Bits() const { return reinterpret_cast<const std::uint8_t*>(m_bits); }

  LONG width = 0, height = 0, stride = 0, format = 0;

 private:
  IKLVBitmapImage* m_bitmap;
  char* m_bits = nullptr;
};

}  // namespace

CallResult SlideHandle::Open(const std::filesystem::path& modulePath, const std::filesystem::path& slideDir) {
  std::unique_lock lock(m_closing);
  CallResult result = m_host.OpenSlide(modulePath, slideDir, m_slide);
  if (FAILED(result.hr)) {
    m_slide.Reset();
    return result;
  }
  VariantHolder width;
  const HRESULT hr = m_slide->GetSlideProperties(kSlideWidthTag, &width.value);
  if (FAILED(hr)) {
    m_slide.Reset();
    return Failed(hr, "GetSlideProperties(" + std::to_string(kSlideWidthTag) + ")");
  }
  return {};
}

void SlideHandle::Close() {
  std::unique_lock lock(m_closing);
  m_slide.Reset();
  std::lock_guard pool(m_poolMutex);
  m_bitmaps.clear();
}

ComPtr<IKLVZorvel3> SlideHandle::Slide(std::shared_lock<std::shared_mutex>& lock) {
  lock = std::shared_lock(m_closing);
  return m_slide;
}

CallResult SlideHandle::PropertyTags(std::vector<std::pair<LONG, std::string>>& tags) {
  std::shared_lock<std::shared_mutex> lock;
  const ComPtr<IKLVZorvel3> slide = Slide(lock);
  if (!slide) return kClosed;
  std::vector<zorvel_cli::PropertyTag> directory;
  const HRESULT hr = zorvel_cli::ReadPropertyTags(slide.Get(), directory);
  if (FAILED(hr)) return Failed(hr, "GetSlidePropertyTags");
  for (auto& entry : directory) tags.emplace_back(entry.tag, std::move(entry.name));
  return {};
}

CallResult SlideHandle::PropertyText(LONG tag, std::string& type, std::string& value) {
  std::shared_lock<std::shared_mutex> lock;
  const ComPtr<IKLVZorvel3> slide = Slide(lock);
  if (!slide) return kClosed;
  VariantHolder holder;
  const HRESULT hr = slide->GetSlideProperties(tag, &holder.value);
  if (FAILED(hr)) return Failed(hr, "GetSlideProperties(" + std::to_string(tag) + ")");
  zorvel_cli::VariantText text = zorvel_cli::FormatVariant(holder.value);
  type = std::move(text.type);
  value = std::move(text.value);
  return {};
}

CallResult SlideHandle::PutBoolProperty(LONG key, bool value) {
  std::shared_lock<std::shared_mutex> lock;
  const ComPtr<IKLVZorvel3> slide = Slide(lock);
  if (!slide) return kClosed;
  VARIANT flag;
  VariantInit(&flag);
  flag.vt = VT_BOOL;
  flag.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  const HRESULT hr = slide->put_Properties(key, flag);
  return FAILED(hr) ? Failed(hr, "put_Properties(" + std::to_string(key) + ")") : CallResult{};
}

ComPtr<IKLVBitmapImage> SlideHandle::TakeBitmap(LONG width, LONG height) {
  {
    std::lock_guard pool(m_poolMutex);
    if (!m_bitmaps.empty()) {
      auto idle = std::find_if(m_bitmaps.rbegin(), m_bitmaps.rend(), [&](const IdleBitmap& candidate) {
        return candidate.width == width && candidate.height == height;
      });
      if (idle == m_bitmaps.rend()) idle = m_bitmaps.rbegin();  // the module re-creates it at the size
      ComPtr<IKLVBitmapImage> bitmap = std::move(idle->bitmap);
      m_bitmaps.erase(std::next(idle).base());
      return bitmap;
    }
  }
  ComPtr<IKLVBitmapImage> bitmap;
  if (FAILED(zorvel_cli::CreateHostBitmap(bitmap).hr)) bitmap.Reset();
  return bitmap;
}

void SlideHandle::ReturnBitmap(ComPtr<IKLVBitmapImage> bitmap, LONG width, LONG height) {
  std::lock_guard pool(m_poolMutex);
  if (m_bitmaps.size() == kIdleBitmaps) m_bitmaps.erase(m_bitmaps.begin());
  m_bitmaps.push_back({std::move(bitmap), width, height});
}

CallResult SlideHandle::ReadRegion(const RegionRequest& region, const ChannelSelection& channels,
                                   const DestinationLayout& layout) {
  const GridCover cover = CoverRegion(region);
  if (cover.empty) return {};
  std::shared_lock<std::shared_mutex> lock;
  const ComPtr<IKLVZorvel3> slide = Slide(lock);
  if (!slide) return kClosed;
  const std::int64_t bandRows = GridRowsPerBand(cover, layout.bytesPerSample, kMaxBitmapBytes);
  LONG width = static_cast<LONG>((cover.column1 - cover.column0 + 1) * kGridTile);
  LONG height = static_cast<LONG>((std::min(cover.row1 - cover.row0 + 1, bandRows)) * kGridTile);
  ComPtr<IKLVBitmapImage> bitmap = TakeBitmap(width, height);
  if (!bitmap) return Failed(E_OUTOFMEMORY, "CoCreateInstance(bitmap)");
  const auto arguments = zorvel_cli::ChannelArguments({channels.red, channels.green, channels.blue},
                                                      channels.hasFocus ? std::optional<std::int64_t>(channels.focus)
                                                                        : std::nullopt);
  if (!arguments) return Failed(E_INVALIDARG, "channel arguments (channels 0 to 65535 with a focal plane)");
  const LONG red = (*arguments)[0], green = (*arguments)[1], blue = (*arguments)[2];
  for (std::int64_t row = cover.row0; row <= cover.row1; row += bandRows) {
    const std::int64_t lastRow = std::min(cover.row1, row + bandRows - 1);
    const HRESULT hr = slide->GetImage(static_cast<LONG>(cover.column0), static_cast<LONG>(row),
                                       static_cast<LONG>(cover.column1), static_cast<LONG>(lastRow), region.level,
                                       red, green, blue, bitmap.Get());
    if (FAILED(hr)) return Failed(hr, "GetImage");
    BitmapView view(bitmap.Get());
    const HRESULT locked = view.Lock();
    if (FAILED(locked)) return Failed(locked, "IKLVBitmapImage::LockBits");
    const RenderedBitmap rendered{view.Bits(), view.stride, view.format == zorvel_cli::kFormatBgr48 ? 2 : 1,
                                  cover.column0 * kGridTile, row * kGridTile};
    const std::int64_t bandTop = std::max(cover.y0, row * kGridTile);
    const std::int64_t bandBottom = std::min(cover.y1, (lastRow + 1) * kGridTile);
    if (rendered.originY + view.height < bandBottom || rendered.originX + view.width < cover.x1) {
      return Failed(E_UNEXPECTED, "GetImage (bitmap smaller than the requested tiles)");
    }
    CopyRendered(rendered, cover.x0, bandTop, cover.x1, bandBottom, layout, region.x, region.y);
    width = view.width;
    height = view.height;
  }
  ReturnBitmap(std::move(bitmap), width, height);
  return {};
}

CallResult SlideHandle::ReadRawTile(LONG level, LONG column, LONG row, LONG focus, RawTile& tile) {
  std::shared_lock<std::shared_mutex> lock;
  const ComPtr<IKLVZorvel3> slide = Slide(lock);
  if (!slide) return kClosed;
  ComPtr<IKLVMemoryBuffer> buffer;
  HRESULT hr = CoCreateInstance(CLSID_KLVMemoryBuffer, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVMemoryBuffer,
                                buffer.OutVoid());
  if (FAILED(hr)) return Failed(hr, "CoCreateInstance(memory buffer)");
  hr = slide->GetImageRaw(column, row, 0, focus, level, &tile.type, buffer.Get());
  if (FAILED(hr)) return Failed(hr, "GetImageRaw");
  LONG size = 0;
  char* data = nullptr;
  hr = buffer->RemoteGetPtr(&size, &data);
  if (FAILED(hr)) return Failed(hr, "IKLVMemoryBuffer::RemoteGetPtr");
  if (data != nullptr && size > 0) tile.bytes.assign(data, data + size);
  buffer->RemoteCancelPtr(&size, &data);
  return {};
}

CallResult SlideHandle::ReadSingleImage(LONG type, RgbImage& image) {
  std::shared_lock<std::shared_mutex> lock;
  const ComPtr<IKLVZorvel3> slide = Slide(lock);
  if (!slide) return kClosed;
  ComPtr<IKLVBitmapImage> bitmap;
  HRESULT hr = slide->GetSingleImage(type, bitmap.Out());
  if (FAILED(hr)) return Failed(hr, "GetSingleImage(" + std::to_string(type) + ")");
  if (!bitmap) return Failed(E_POINTER, "GetSingleImage(" + std::to_string(type) + ")");
  BitmapView view(bitmap.Get());
  hr = view.Lock();
  if (FAILED(hr)) return Failed(hr, "IKLVBitmapImage::LockBits");
  image.width = view.width;
  image.height = view.height;
  image.rgb.resize(static_cast<size_t>(view.width) * static_cast<size_t>(view.height) * 3);
  const RenderedBitmap rendered{view.Bits(), view.stride, view.format == zorvel_cli::kFormatBgr48 ? 2 : 1, 0, 0};
  const DestinationLayout layout{image.rgb.data(), static_cast<std::ptrdiff_t>(view.width) * 3, 3, 1};
  CopyRendered(rendered, 0, 0, view.width, view.height, layout, 0, 0);
  return {};
}

CallResult SlideHandle::SingleImageExists(LONG type, bool& exists) {
  std::shared_lock<std::shared_mutex> lock;
  const ComPtr<IKLVZorvel3> slide = Slide(lock);
  if (!slide) return kClosed;
  VariantHolder holder;
  const HRESULT hr = slide->GetSingleImageProperties(type, kExistingTag, &holder.value);
  if (FAILED(hr)) return Failed(hr, "GetSingleImageProperties(" + std::to_string(type) + ")");
  exists = holder.value.vt == VT_BOOL && holder.value.boolVal == VARIANT_TRUE;
  return {};
}

CallResult SlideHandle::ChannelPropertyText(LONG tag, LONG channel, std::string& type, std::string& value) {
  std::shared_lock<std::shared_mutex> lock;
  const ComPtr<IKLVZorvel3> slide = Slide(lock);
  if (!slide) return kClosed;
  VariantHolder holder;
  const HRESULT hr = slide->GetChannelProperties(tag, channel, &holder.value);
  if (FAILED(hr)) return Failed(hr, "GetChannelProperties(" + std::to_string(tag) + ")");
  zorvel_cli::VariantText text = zorvel_cli::FormatVariant(holder.value);
  type = std::move(text.type);
  value = std::move(text.value);
  return {};
}

CallResult SlideHandle::ReadAnnotations(zorvel_cli::SlideAnnotations& annotations) {
  std::shared_lock<std::shared_mutex> lock;
  const ComPtr<IKLVZorvel3> slide = Slide(lock);
  if (!slide) return kClosed;
  return zorvel_cli::ReadAnnotations(slide.Get(), annotations);
}

}  // namespace zorvel_py

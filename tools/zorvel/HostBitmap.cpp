// Host bitmaps through the public bitmap interface: created by class identifier, read under the
// bitmap's lock.
#include "HostBitmap.h"

#include <objbase.h>

#include <cstring>

namespace zorvel_cli {
namespace {

struct PixelLayout {
  std::uint32_t samplesPerPixel = 0, bytesPerSample = 0;
};

// Bits per pixel sit in bits 8-15 of a pixel-format code.
PixelLayout LayoutOf(LONG format) {
  if (format == kFormatBgr24) return {3, 1};
  if (format == kFormatBgr48) return {3, 2};
  if (((format >> 8) & 0xFF) == 8) return {1, 1};
  return {};
}

}  // namespace

CallResult CreateHostBitmap(ComPtr<IKLVBitmapImage>& bitmap) {
  const HRESULT hr = CoCreateInstance(CLSID_KLVBitmapImage, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVBitmapImage,
                                      bitmap.OutVoid());
  return FAILED(hr) ? CallResult{hr, "CoCreateInstance(host bitmap)"} : CallResult{};
}

CallResult ReadHostBitmap(IKLVBitmapImage* bitmap, DecodedImage& picture) {
  LONG width = 0, height = 0, stride = 0, format = 0;
  HRESULT hr = bitmap->get_Width(&width);
  if (SUCCEEDED(hr)) hr = bitmap->get_Height(&height);
  if (SUCCEEDED(hr)) hr = bitmap->get_Stride(&stride);
  if (SUCCEEDED(hr)) hr = bitmap->get_PixelFormat(&format);
  if (FAILED(hr)) return {hr, "IKLVBitmapImage::get_Width/Height/Stride/PixelFormat"};
  const PixelLayout layout = LayoutOf(format);
  if (layout.samplesPerPixel == 0) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(format));
    return {E_NOTIMPL, std::string("reading a bitmap of pixel format ") + text};
  }
  picture.width = static_cast<std::uint32_t>(width > 0 ? width : 0);
  picture.height = static_cast<std::uint32_t>(height > 0 ? height : 0);
  picture.samplesPerPixel = layout.samplesPerPixel;
  picture.bytesPerSample = layout.bytesPerSample;
  const std::size_t lineBytes = picture.LineBytes();
  if (picture.width == 0 || picture.height == 0 || stride < static_cast<LONG>(lineBytes)) {
    return {E_UNEXPECTED, "IKLVBitmapImage (empty bitmap or stride shorter than a line)"};
  }
  char* bits = nullptr;
  if (FAILED(hr = bitmap->LockBits(&bits)) || bits == nullptr) return {FAILED(hr) ? hr : E_POINTER, "IKLVBitmapImage::LockBits"};
  picture.pixels.resize(lineBytes * picture.height);
  for (std::uint32_t y = 0; y < picture.height; ++y) {
    std::memcpy(picture.pixels.data() + y * lineBytes, bits + std::size_t{y} * static_cast<std::size_t>(stride), lineBytes);
  }
  bitmap->UnlockBits(bits);
  return {};
}

}  // namespace zorvel_cli

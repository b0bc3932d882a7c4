// Host bitmap: sizing, lending and taking back the pixel bytes.
#include "BitmapImage.h"

#include <algorithm>
#include <limits>
#include <new>

namespace Components {
namespace {

// Bits per pixel of a GDI+ pixel-format code (bits 8 to 15); 0 for an unknown code.
std::uint32_t BitsPerPixel(LONG pixelFormat) { return (static_cast<std::uint32_t>(pixelFormat) >> 8) & 0xFF; }

}  // namespace

void* BitmapImage::Find(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IKLVBitmapImage) {
    return static_cast<IKLVBitmapImage*>(this);
  }
  if (riid == IID_IKLVBitmapImage2) return static_cast<IKLVBitmapImage2*>(this);
  return nullptr;
}

HRESULT BitmapImage::Create(LONG Width, LONG Height, LONG Stride, LONG PixelFormat) {
  const std::uint32_t bits = BitsPerPixel(PixelFormat);
  if (Width < 0 || Height < 0 || Stride < 0 || bits == 0) return E_INVALIDARG;
  if (static_cast<std::uint64_t>(Stride) * 8 < static_cast<std::uint64_t>(Width) * bits) return E_INVALIDARG;
  const std::uint64_t size = static_cast<std::uint64_t>(Stride) * static_cast<std::uint64_t>(Height);
  if (size > std::numeric_limits<ULONG>::max()) return E_OUTOFMEMORY;  // lent sizes are 32-bit
  std::lock_guard lock(m_mutex);
  if (m_loans != 0) return E_ACCESSDENIED;
  if (size != m_size) {
    std::unique_ptr<BYTE[]> bytes(size == 0 ? nullptr : new (std::nothrow) BYTE[size]());
    if (size != 0 && bytes == nullptr) return E_OUTOFMEMORY;
    m_bytes = std::move(bytes);
    m_size = static_cast<std::size_t>(size);
  } else if (m_bytes != nullptr) {
    std::fill_n(m_bytes.get(), m_size, BYTE{0});
  }
  m_width = Width;
  m_height = Height;
  m_stride = Stride;
  m_pixelFormat = PixelFormat;
  return S_OK;
}

HRESULT BitmapImage::LockBits(CHAR** lockedBitmapData) {
  if (lockedBitmapData == nullptr) return E_POINTER;
  ULONG size = 0;
  BYTE* bits = nullptr;
  const HRESULT hr = Lend(&size, &bits);
  *lockedBitmapData = reinterpret_cast<CHAR*>(bits);
  return hr;
}

HRESULT BitmapImage::UnlockBits(CHAR* lockedBitmapData) {
  std::lock_guard lock(m_mutex);
  if (m_loans == 0 || lockedBitmapData == nullptr || reinterpret_cast<BYTE*>(lockedBitmapData) != m_bytes.get()) {
    return E_INVALIDARG;
  }
  --m_loans;
  return S_OK;
}

HRESULT BitmapImage::LockBitsVB(VARIANT*) { return E_NOTIMPL; }
HRESULT BitmapImage::UnlockBitsVB(VARIANT*) { return E_NOTIMPL; }
HRESULT BitmapImage::get_Picture(IPicture**) { return E_NOTIMPL; }

HRESULT BitmapImage::Read(LONG* out, LONG value) {
  if (out == nullptr) return E_POINTER;
  *out = value;
  return S_OK;
}

HRESULT BitmapImage::get_Width(LONG* pVal) {
  std::lock_guard lock(m_mutex);
  return Read(pVal, m_width);
}

HRESULT BitmapImage::get_Height(LONG* pVal) {
  std::lock_guard lock(m_mutex);
  return Read(pVal, m_height);
}

HRESULT BitmapImage::get_Stride(LONG* pVal) {
  std::lock_guard lock(m_mutex);
  return Read(pVal, m_stride);
}

HRESULT BitmapImage::get_PixelFormat(LONG* pVal) {
  std::lock_guard lock(m_mutex);
  return Read(pVal, m_pixelFormat);
}

HRESULT BitmapImage::RemoteGetBits(ULONG* pSize, BYTE** ppBits) { return Lend(pSize, ppBits); }
HRESULT BitmapImage::RemotePassBits(ULONG* pSize, BYTE** ppBits) { return TakeBack(pSize, ppBits); }

// The bytes are the bitmap's own: what was written through the loan stays written.
HRESULT BitmapImage::RemoteCancelBits(ULONG* pSize, BYTE** ppBits) { return TakeBack(pSize, ppBits); }

HRESULT BitmapImage::Lend(ULONG* pSize, BYTE** ppBits) {
  if (pSize == nullptr || ppBits == nullptr) return E_POINTER;
  std::lock_guard lock(m_mutex);
  if (m_bytes == nullptr) {
    *pSize = 0;
    *ppBits = nullptr;
    return E_FAIL;  // nothing to lend before Create gave the bitmap a size
  }
  ++m_loans;
  *pSize = static_cast<ULONG>(m_size);
  *ppBits = m_bytes.get();
  return S_OK;
}

HRESULT BitmapImage::TakeBack(ULONG* pSize, BYTE** ppBits) {
  if (pSize == nullptr || ppBits == nullptr) return E_POINTER;
  std::lock_guard lock(m_mutex);
  if (m_loans == 0 || *ppBits != m_bytes.get() || *pSize != m_size) return E_INVALIDARG;
  --m_loans;
  *pSize = 0;
  *ppBits = nullptr;
  return S_OK;
}

IKLVBitmapImage* CreateBitmapImage() { return NewComponentObject<BitmapImage, IKLVBitmapImage>(IID_IKLVBitmapImage); }

}  // namespace Components

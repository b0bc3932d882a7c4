// Borrowing the pixel bytes of a host bitmap through IKLVBitmapImage2: lend, write, hand back.
// One thread per helper; the host object outlives it. Failures are logged under "KLVZorvelHelper";
// Clear (also run by the destructor) hands a held loan back and cancels anything else.
#pragma once

#include <KLVInterfaces/KLVHostObjects.h>
#include <base/SeErrorHandler.h>

namespace KLVZorvelHelper {

class CKLVBitmapImage2LockHelper {
 public:
  CKLVBitmapImage2LockHelper() = default;
  CKLVBitmapImage2LockHelper(const CKLVBitmapImage2LockHelper&) = delete;
  CKLVBitmapImage2LockHelper& operator=(const CKLVBitmapImage2LockHelper&) = delete;
  ~CKLVBitmapImage2LockHelper() { Clear(); }

  HRESULT RWLockBitsForNative(IKLVBitmapImage2* bitmap, ULONG& size, BYTE*& bits) {
    constexpr LPCWSTR kFunction = u"KLVZorvelHelper::CKLVBitmapImage2LockHelper::RWLockBitsForNative";
    if (bitmap == nullptr) return SeReportError(kSource, 181, E_INVALIDARG, kFunction);
    Clear();
    bitmap->AddRef();
    m_bitmap = bitmap;
    const HRESULT hr = m_bitmap->RemoteGetBits(&m_size, &m_bits);
    if (FAILED(hr)) return SeReportError(kSource, 186, hr, kFunction);
    m_locked = true;
    size = m_size;
    bits = m_bits;
    return S_OK;
  }

  void Clear() {
    constexpr LPCWSTR kFunction = u"KLVZorvelHelper::CKLVBitmapImage2LockHelper::Clear";
    if (m_bitmap == nullptr) return;
    if (m_locked) {
      const HRESULT hr = m_bitmap->RemotePassBits(&m_size, &m_bits);
      if (FAILED(hr)) SeReportError(kSource, 266, hr, kFunction);
    } else {
      const HRESULT hr = m_bitmap->RemoteCancelBits(&m_size, &m_bits);
      if (FAILED(hr)) SeReportError(kSource, 271, hr, kFunction);
    }
    if (m_size != 0 || m_bits != nullptr) SeReportError(kSource, 274, E_FAIL, kFunction);
    m_bitmap->Release();
    m_bitmap = nullptr;
    m_size = 0;
    m_bits = nullptr;
    m_locked = false;
  }

 private:
  static constexpr LPCWSTR kSource = u"KLVZorvelHelper";

  IKLVBitmapImage2* m_bitmap = nullptr;
  ULONG m_size = 0;
  BYTE* m_bits = nullptr;
  bool m_locked = false;
};

}  // namespace KLVZorvelHelper

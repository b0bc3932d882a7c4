// Borrowing the bytes of a host memory buffer (IKLVMemoryBuffer): get the pointer, write, pass it back.
// One thread per helper; the host object outlives it, so the helper takes no reference of its own
// (the borrow sits on the raw-tile hot path). Failures are logged under "KLVMemoryBufferHelper";
// Clear (also run by the destructor) passes a held pointer back and cancels anything else.
#pragma once

#include <ZorvelDicom/ZorvelDicom.h>
#include <base/SeErrorHandler.h>

namespace KLVMemoryBufferHelper {

class CKLVMemoryBufferHelper {
 public:
  CKLVMemoryBufferHelper() = default;
  CKLVMemoryBufferHelper(const CKLVMemoryBufferHelper&) = delete;
  CKLVMemoryBufferHelper& operator=(const CKLVMemoryBufferHelper&) = delete;
  ~CKLVMemoryBufferHelper() { Clear(); }

  HRESULT GetRWPtr(IKLVMemoryBuffer* buffer, LONG& size, char*& data) {
    Clear();
    if (buffer == nullptr) {
      return SeReportError(kSource, 62, E_INVALIDARG, u"KLVMemoryBufferHelper::CKLVMemoryBufferHelper::GetRWPtr");
    }
    m_buffer = buffer;
    const HRESULT hr = m_buffer->RemoteGetPtr(&m_size, &m_data);
    if (FAILED(hr)) return SeReportError(kSource, 62, hr, u"KLVMemoryBufferHelper::CKLVMemoryBufferHelper::GetRWPtr");
    m_held = true;
    size = m_size;
    data = m_data;
    return S_OK;
  }

  HRESULT PassRWPtr(LONG size, char* data) {
    constexpr LPCWSTR kFunction = u"KLVMemoryBufferHelper::CKLVMemoryBufferHelper::PassRWPtr";
    if (m_buffer == nullptr) return SeReportError(kSource, 85, E_FAIL, kFunction);
    if (!m_held) return SeReportError(kSource, 87, E_FAIL, kFunction);
    if (m_size == 0 || m_data == nullptr) return SeReportError(kSource, 89, E_FAIL, kFunction);
    if (size != m_size) return SeReportError(kSource, 91, E_INVALIDARG, kFunction);
    if (data != m_data) return SeReportError(kSource, 93, E_INVALIDARG, kFunction);
    const HRESULT hr = m_buffer->RemotePassPtr(&m_size, &m_data);
    if (FAILED(hr)) return SeReportError(kSource, 96, hr, kFunction);
    Reset();
    return S_OK;
  }

  void Clear() {
    constexpr LPCWSTR kFunction = u"KLVMemoryBufferHelper::CKLVMemoryBufferHelper::Clear";
    if (m_buffer != nullptr && m_size != 0 && m_data != nullptr) {
      if (m_held) {
        const HRESULT hr = m_buffer->RemotePassPtr(&m_size, &m_data);
        if (FAILED(hr)) SeReportError(kSource, 145, hr, kFunction);
      } else {
        const HRESULT hr = m_buffer->RemoteCancelPtr(&m_size, &m_data);
        if (FAILED(hr)) SeReportError(kSource, 150, hr, kFunction);
      }
    }
    Reset();
  }

 private:
  static constexpr LPCWSTR kSource = u"KLVMemoryBufferHelper";

  void Reset() {
    m_buffer = nullptr;
    m_size = 0;
    m_data = nullptr;
    m_held = false;
  }

  IKLVMemoryBuffer* m_buffer = nullptr;
  LONG m_size = 0;
  char* m_data = nullptr;
  bool m_held = false;
};

}  // namespace KLVMemoryBufferHelper

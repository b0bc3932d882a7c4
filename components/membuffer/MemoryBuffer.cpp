// Memory buffer: allocation, lending and the byte-array transfers.
#include "MemoryBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <thread>

#include <oleauto.h>

namespace Components {

// Holds m_busy for its scope; a waiter yields its time slice while another thread holds it.
class MemoryBuffer::Guard {
 public:
  explicit Guard(std::atomic_flag& busy) : m_busy(busy) {
    while (m_busy.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
  }
  ~Guard() { m_busy.clear(std::memory_order_release); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  std::atomic_flag& m_busy;
};

void* MemoryBuffer::Find(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IKLVMemoryBuffer) {
    return static_cast<IKLVMemoryBuffer*>(this);
  }
  return nullptr;
}

// A buffer refilled tile after tile keeps its block while the new size fits and uses at least
// half of it; otherwise it takes a block of exactly the new size. Size 0 frees the block.
HRESULT MemoryBuffer::Resize(LONG size, bool keepContents) {
  if (size < 0) return E_INVALIDARG;
  if (m_loans != 0) return E_ACCESSDENIED;
  if (size != 0 && size <= m_capacity && size >= m_capacity / 2) {
    m_size = size;
    return S_OK;
  }
  std::unique_ptr<CHAR[]> bytes(size == 0 ? nullptr : new (std::nothrow) CHAR[static_cast<std::size_t>(size)]);
  if (size != 0 && bytes == nullptr) return E_OUTOFMEMORY;
  if (keepContents && m_bytes != nullptr && bytes != nullptr) {
    std::memcpy(bytes.get(), m_bytes.get(), static_cast<std::size_t>(std::min(size, m_size)));
  }
  m_bytes = std::move(bytes);
  m_size = size;
  m_capacity = size;
  return S_OK;
}

HRESULT MemoryBuffer::ReCreateWithAlloc(LONG Size) {
  Guard lock(m_busy);
  return Resize(Size, false);
}

HRESULT MemoryBuffer::ReCreateWithReAlloc(LONG Size) {
  Guard lock(m_busy);
  return Resize(Size, true);
}

HRESULT MemoryBuffer::Destroy() {
  Guard lock(m_busy);
  return Resize(0, false);
}

HRESULT MemoryBuffer::GetSize(LONG* pSize) {
  if (pSize == nullptr) return E_POINTER;
  Guard lock(m_busy);
  *pSize = m_size;
  return S_OK;
}

// An empty buffer lends nothing: size 0, null pointer, and no loan to hand back.
HRESULT MemoryBuffer::RemoteGetPtr(LONG* pSize, CHAR** pData) {
  if (pSize == nullptr || pData == nullptr) return E_POINTER;
  Guard lock(m_busy);
  *pSize = m_size;
  *pData = m_bytes.get();
  if (m_bytes != nullptr) ++m_loans;
  return S_OK;
}

HRESULT MemoryBuffer::RemotePassPtr(LONG* pSize, CHAR** pData) { return TakeBack(pSize, pData); }

// The pointer is the buffer's own memory: bytes written through it stay written.
HRESULT MemoryBuffer::RemoteCancelPtr(LONG* pSize, CHAR** pData) { return TakeBack(pSize, pData); }

HRESULT MemoryBuffer::TakeBack(LONG* pSize, CHAR** pData) {
  if (pSize == nullptr || pData == nullptr) return E_POINTER;
  Guard lock(m_busy);
  if (m_loans == 0 || *pData != m_bytes.get() || *pSize != m_size) return E_INVALIDARG;
  --m_loans;
  *pSize = 0;
  *pData = nullptr;
  return S_OK;
}

HRESULT MemoryBuffer::GetRAWArray(SAFEARRAY** Data) {
  if (Data == nullptr) return E_POINTER;
  Guard lock(m_busy);
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(m_size));
  if (array == nullptr) return E_OUTOFMEMORY;
  void* target = nullptr;
  HRESULT hr = SafeArrayAccessData(array, &target);
  if (SUCCEEDED(hr)) {
    if (m_size != 0) std::memcpy(target, m_bytes.get(), static_cast<std::size_t>(m_size));
    hr = SafeArrayUnaccessData(array);
  }
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    return hr;
  }
  *Data = array;
  return S_OK;
}

HRESULT MemoryBuffer::SetRAWArray(SAFEARRAY* Data) {
  if (Data == nullptr) return E_POINTER;
  VARTYPE type = VT_EMPTY;
  LONG lower = 0, upper = -1;
  if (FAILED(SafeArrayGetVartype(Data, &type)) || (type != VT_UI1 && type != VT_I1) || SafeArrayGetDim(Data) != 1 ||
      FAILED(SafeArrayGetLBound(Data, 1, &lower)) || FAILED(SafeArrayGetUBound(Data, 1, &upper))) {
    return E_INVALIDARG;
  }
  const LONG count = upper - lower + 1;
  void* source = nullptr;
  HRESULT hr = SafeArrayAccessData(Data, &source);
  if (FAILED(hr)) return hr;
  {
    Guard lock(m_busy);
    hr = Resize(count, false);
    if (SUCCEEDED(hr) && count != 0) std::memcpy(m_bytes.get(), source, static_cast<std::size_t>(count));
  }
  const HRESULT unaccess = SafeArrayUnaccessData(Data);
  return FAILED(hr) ? hr : unaccess;
}

IKLVMemoryBuffer* CreateMemoryBuffer() {
  return NewComponentObject<MemoryBuffer, IKLVMemoryBuffer>(IID_IKLVMemoryBuffer);
}

}  // namespace Components

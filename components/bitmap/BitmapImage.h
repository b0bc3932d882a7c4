// Host bitmap class: IKLVBitmapImage and IKLVBitmapImage2 over one block of Height lines of Stride
// bytes. Free-threaded: a mutex guards size and loans; lent bytes may be written by many threads.
// Resizing while bytes are lent fails with E_ACCESSDENIED, so a borrower never writes freed memory.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include <KLVInterfaces/KLVHostObjects.h>
#include "com_support/ComObject.h"

namespace Components {

class BitmapImage : public AutomationObject<BitmapImage, IKLVBitmapImage, IKLVBitmapImage2> {
 public:
  void* Find(REFIID riid);

  STDMETHOD(Create)(LONG Width, LONG Height, LONG Stride, LONG PixelFormat) override;
  STDMETHOD(LockBits)(CHAR** lockedBitmapData) override;
  STDMETHOD(UnlockBits)(CHAR* lockedBitmapData) override;
  STDMETHOD(LockBitsVB)(VARIANT* lockedVariantData) override;
  STDMETHOD(UnlockBitsVB)(VARIANT* lockedVariantData) override;
  STDMETHOD(get_Width)(LONG* pVal) override;
  STDMETHOD(get_Height)(LONG* pVal) override;
  STDMETHOD(get_Stride)(LONG* pVal) override;
  STDMETHOD(get_PixelFormat)(LONG* pVal) override;
  STDMETHOD(get_Picture)(IPicture** pVal) override;
  STDMETHOD(RemoteGetBits)(ULONG* pSize, BYTE** ppBits) override;
  STDMETHOD(RemotePassBits)(ULONG* pSize, BYTE** ppBits) override;
  STDMETHOD(RemoteCancelBits)(ULONG* pSize, BYTE** ppBits) override;

 private:
  HRESULT Lend(ULONG* pSize, BYTE** ppBits);
  HRESULT TakeBack(ULONG* pSize, BYTE** ppBits);
  HRESULT Read(LONG* out, LONG value);

  std::mutex m_mutex;                 // guards every field below
  LONG m_width = 0;                   // pixels
  LONG m_height = 0;                  // lines
  LONG m_stride = 0;                  // bytes from one line to the next
  LONG m_pixelFormat = 0;             // GDI+ pixel-format code
  std::unique_ptr<BYTE[]> m_bytes;    // m_height * m_stride bytes, zeroed on Create
  std::size_t m_size = 0;             // bytes in m_bytes
  unsigned m_loans = 0;               // lent pointers not yet handed back
};

IKLVBitmapImage* CreateBitmapImage();  // one reference; null when out of memory

}  // namespace Components

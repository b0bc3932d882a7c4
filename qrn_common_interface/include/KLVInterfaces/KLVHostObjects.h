// The host objects the module writes into and the components implement: the bitmap (IKLVBitmapImage
// and its companion IKLVBitmapImage2) and the memory buffer (IKLVMemoryBuffer), with their identifiers.
// Vtable order as declared; in-process only. Below both the module and the components.
#pragma once

#include <oaidl.h>
#include <ocidl.h>

DEFINE_GUID(IID_IKLVBitmapImage, 0xE343F4B0, 0x4E50, 0x4F43, 0xA2, 0x47, 0x4C, 0x07, 0x05, 0xC6, 0x91, 0xCC);
DEFINE_GUID(IID_IKLVMemoryBuffer, 0x2155AF60, 0x7355, 0x4565, 0x80, 0x30, 0xFD, 0xFF, 0xBF, 0x47, 0x25, 0x63);
// The bitmap's companion interface: not part of the type library, obtained from a host bitmap with
// QueryInterface.
DEFINE_GUID(IID_IKLVBitmapImage2, 0x01ECD385, 0x515C, 0x42B6, 0xB4, 0x14, 0x7C, 0x49, 0xC1, 0x72, 0xA9, 0x50);

DEFINE_GUID(CLSID_KLVBitmapImage, 0x87435667, 0x2375, 0x4DB0, 0x8D, 0xB3, 0xFF, 0x8A, 0x67, 0x6F, 0x00, 0xB8);
DEFINE_GUID(CLSID_KLVMemoryBuffer, 0xBF101E26, 0xD940, 0x4687, 0x88, 0x6F, 0x97, 0xD0, 0x90, 0x01, 0x06, 0x8C);

struct IKLVBitmapImage : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE Create(LONG Width, LONG Height, LONG Stride, LONG PixelFormat) = 0;
  virtual HRESULT STDMETHODCALLTYPE LockBits(char** lockedBitmapData) = 0;
  virtual HRESULT STDMETHODCALLTYPE UnlockBits(char* lockedBitmapData) = 0;
  virtual HRESULT STDMETHODCALLTYPE LockBitsVB(VARIANT* lockedVariantData) = 0;
  virtual HRESULT STDMETHODCALLTYPE UnlockBitsVB(VARIANT* lockedVariantData) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Width(LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Height(LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Stride(LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_PixelFormat(LONG* pVal) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Picture(IPicture** pVal) = 0;
};

struct IKLVMemoryBuffer : public IDispatch {
 public:
  virtual HRESULT STDMETHODCALLTYPE ReCreateWithAlloc(LONG Size) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReCreateWithReAlloc(LONG Size) = 0;
  virtual HRESULT STDMETHODCALLTYPE Destroy() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSize(LONG* pSize) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoteGetPtr(LONG* pSize, char** pData) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemotePassPtr(LONG* pSize, char** pData) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoteCancelPtr(LONG* pSize, char** pData) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetRAWArray(SAFEARRAY** Data) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetRAWArray(SAFEARRAY* Data) = 0;
};

// Lends the pixel bytes: RemoteGetBits lends, RemotePassBits hands back keeping what was written,
// RemoteCancelBits gives up the loan; both hand-backs set the caller's count and pointer to 0.
struct IKLVBitmapImage2 : IDispatch {
  STDMETHOD(Create)(LONG Width, LONG Height, LONG Stride, LONG PixelFormat) PURE;
  STDMETHOD(RemoteGetBits)(ULONG* pSize, BYTE** ppBits) PURE;
  STDMETHOD(RemotePassBits)(ULONG* pSize, BYTE** ppBits) PURE;
  STDMETHOD(RemoteCancelBits)(ULONG* pSize, BYTE** ppBits) PURE;
  STDMETHOD(get_Width)(LONG* pVal) PURE;
  STDMETHOD(get_Height)(LONG* pVal) PURE;
  STDMETHOD(get_Stride)(LONG* pVal) PURE;
  STDMETHOD(get_PixelFormat)(LONG* pVal) PURE;
};

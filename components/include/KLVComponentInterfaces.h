// The interfaces of the outside components the module uses: the codec interface, the host bitmap
// (IKLVBitmapImage, IKLVBitmapImage2) and memory buffer (IKLVMemoryBuffer), with their GUIDs.
// Vtable order as declared (IUnknown, IDispatch, then the members in order); in-process only.
#pragma once

#include <oaidl.h>

struct IPicture;

// Codec interface: GetImageInfo and DecodeImage are its first own methods.
DEFINE_GUID(IID_IKLVImageCodec, 0x10CD2EEC, 0xBA12, 0x4D50, 0x90, 0x96, 0x8C, 0x30, 0xD6, 0x57, 0xA1, 0x61);
DEFINE_GUID(CLSID_KLVJpegCodec, 0x96EDB23B, 0x2FEC, 0x4F45, 0x98, 0xB7, 0x6E, 0x7D, 0xF3, 0xE4, 0x82, 0x77);
DEFINE_GUID(CLSID_KLVJpeg2000Codec, 0xE1F84B0A, 0xE806, 0x46C3, 0x93, 0xB0, 0xE4, 0x83, 0x06, 0x90, 0xC5, 0xBB);
DEFINE_GUID(IID_IKLVBitmapImage, 0xE343F4B0, 0x4E50, 0x4F43, 0xA2, 0x47, 0x4C, 0x07, 0x05, 0xC6, 0x91, 0xCC);
DEFINE_GUID(IID_IKLVBitmapImage2, 0x01ECD385, 0x515C, 0x42B6, 0xB4, 0x14, 0x7C, 0x49, 0xC1, 0x72, 0xA9, 0x50);
DEFINE_GUID(CLSID_KLVBitmapImage, 0x87435667, 0x2375, 0x4DB0, 0x8D, 0xB3, 0xFF, 0x8A, 0x67, 0x6F, 0x00, 0xB8);
DEFINE_GUID(IID_IKLVMemoryBuffer, 0x2155AF60, 0x7355, 0x4565, 0x80, 0x30, 0xFD, 0xFF, 0xBF, 0x47, 0x25, 0x63);
DEFINE_GUID(CLSID_KLVMemoryBuffer, 0xBF101E26, 0xD940, 0x4687, 0x88, 0x6F, 0x97, 0xD0, 0x90, 0x01, 0x06, 0x8C);

// Image-type codes reported by GetImageInfo and accepted by DecodeImage: 0 grey 8-bit, 1 colour
// 8-bit (B, G, R), 2 colour 16-bit, 3 grey 16-bit, 4 and 6 the image's own samples at 8 / 16 bits.
// DecodeImage writes height lines of the stride that belongs to the code, width and row alignment.
struct IKLVImageCodec : IDispatch {
  // pParameters: a configuration-parameter array VARIANT; not read, may be null.
  STDMETHOD(GetImageInfo)(const BYTE* pData, ULONG size, LONG* pWidth, LONG* pHeight, LONG* pImageType,
                          VARIANT* pParameters) PURE;
  // pOutValue: set to 0 when not null. Width, height and code as GetImageInfo reported them.
  STDMETHOD(DecodeImage)(const BYTE* pData, ULONG size, BYTE* pDestination, ULONG destinationSize,
                         LONG* pOutValue, LONG width, LONG height, LONG rowAlignment, LONG imageType) PURE;
};

struct IKLVBitmapImage : IDispatch {
  STDMETHOD(Create)(LONG Width, LONG Height, LONG Stride, LONG PixelFormat) PURE;
  STDMETHOD(LockBits)(CHAR** lockedBitmapData) PURE;
  STDMETHOD(UnlockBits)(CHAR* lockedBitmapData) PURE;
  STDMETHOD(LockBitsVB)(VARIANT* lockedVariantData) PURE;
  STDMETHOD(UnlockBitsVB)(VARIANT* lockedVariantData) PURE;
  STDMETHOD(get_Width)(LONG* pVal) PURE;
  STDMETHOD(get_Height)(LONG* pVal) PURE;
  STDMETHOD(get_Stride)(LONG* pVal) PURE;
  STDMETHOD(get_PixelFormat)(LONG* pVal) PURE;
  STDMETHOD(get_Picture)(IPicture** pVal) PURE;
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

struct IKLVMemoryBuffer : IDispatch {
  STDMETHOD(ReCreateWithAlloc)(LONG Size) PURE;
  STDMETHOD(ReCreateWithReAlloc)(LONG Size) PURE;
  STDMETHOD(Destroy)() PURE;
  STDMETHOD(GetSize)(LONG* pSize) PURE;
  STDMETHOD(RemoteGetPtr)(LONG* pSize, CHAR** pData) PURE;
  STDMETHOD(RemotePassPtr)(LONG* pSize, CHAR** pData) PURE;
  STDMETHOD(RemoteCancelPtr)(LONG* pSize, CHAR** pData) PURE;
  STDMETHOD(GetRAWArray)(SAFEARRAY** Data) PURE;
  STDMETHOD(SetRAWArray)(SAFEARRAY* Data) PURE;
};

// The interfaces of the outside components the module uses beyond its public header: the codec
// interface and the bitmap's IKLVBitmapImage2, with the component class identifiers. IKLVBitmapImage
// and IKLVMemoryBuffer come from the public header. Vtable order as declared; in-process only.
#pragma once

#include <ZorvelDicom/ZorvelDicom.h>

// Codec interface: GetImageInfo and DecodeImage are its first own methods.
DEFINE_GUID(IID_IKLVImageCodec, 0x10CD2EEC, 0xBA12, 0x4D50, 0x90, 0x96, 0x8C, 0x30, 0xD6, 0x57, 0xA1, 0x61);
DEFINE_GUID(CLSID_KLVJpegCodec, 0x96EDB23B, 0x2FEC, 0x4F45, 0x98, 0xB7, 0x6E, 0x7D, 0xF3, 0xE4, 0x82, 0x77);
DEFINE_GUID(CLSID_KLVJpeg2000Codec, 0xE1F84B0A, 0xE806, 0x46C3, 0x93, 0xB0, 0xE4, 0x83, 0x06, 0x90, 0xC5, 0xBB);
DEFINE_GUID(CLSID_KLVBitmapImage, 0x87435667, 0x2375, 0x4DB0, 0x8D, 0xB3, 0xFF, 0x8A, 0x67, 0x6F, 0x00, 0xB8);
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

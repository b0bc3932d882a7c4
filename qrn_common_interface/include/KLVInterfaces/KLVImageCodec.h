// The codec interface the JPEG and JPEG 2000 components answer and the module calls per frame, with
// the two codec class identifiers. Image-type codes and line layouts: KLVImageLayout.h.
// Implementations are called from many threads at once on one object; in-process only.
#pragma once

#include <oaidl.h>

DEFINE_GUID(IID_IKLVImageCodec, 0x10CD2EEC, 0xBA12, 0x4D50, 0x90, 0x96, 0x8C, 0x30, 0xD6, 0x57, 0xA1, 0x61);
DEFINE_GUID(CLSID_KLVJpegCodec, 0x96EDB23B, 0x2FEC, 0x4F45, 0x98, 0xB7, 0x6E, 0x7D, 0xF3, 0xE4, 0x82, 0x77);
DEFINE_GUID(CLSID_KLVJpeg2000Codec, 0xE1F84B0A, 0xE806, 0x46C3, 0x93, 0xB0, 0xE4, 0x83, 0x06, 0x90, 0xC5, 0xBB);

// GetImageInfo reports an image-type code; DecodeImage writes height lines of the stride that belongs
// to the code, width and row alignment (KLVImageLayout::StrideFor).
struct IKLVImageCodec : IDispatch {
  // pParameters: a configuration-parameter array VARIANT; not read, may be null.
  STDMETHOD(GetImageInfo)(const BYTE* pData, ULONG size, LONG* pWidth, LONG* pHeight, LONG* pImageType,
                          VARIANT* pParameters) PURE;
  // pOutValue: set to 0 when not null. Width, height and code as GetImageInfo reported them.
  STDMETHOD(DecodeImage)(const BYTE* pData, ULONG size, BYTE* pDestination, ULONG destinationSize,
                         LONG* pOutValue, LONG width, LONG height, LONG rowAlignment, LONG imageType) PURE;
};

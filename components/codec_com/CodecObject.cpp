// Codec component methods: argument checks around the decoding cores.
#include "CodecObject.h"

#include <limits>
#include <new>

#include "codec_jp2k/Jp2kCodecCore.h"
#include "codec_jpeg/JpegCodecCore.h"

namespace Components {

void* CodecObject::Find(REFIID riid) {
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IKLVImageCodec) {
    return static_cast<IKLVImageCodec*>(this);
  }
  return nullptr;
}

HRESULT CodecObject::GetImageInfo(const BYTE* pData, ULONG size, LONG* pWidth, LONG* pHeight, LONG* pImageType,
                                  VARIANT*) {
  if (pData == nullptr || pWidth == nullptr || pHeight == nullptr || pImageType == nullptr) return E_POINTER;
  ImageInfo info;
  const HRESULT hr = m_core.ReadInfo(pData, size, info);
  if (FAILED(hr)) return hr;
  constexpr auto kLargest = static_cast<std::uint32_t>(std::numeric_limits<LONG>::max());
  if (info.width > kLargest || info.height > kLargest) return kInvalidData;
  *pWidth = static_cast<LONG>(info.width);
  *pHeight = static_cast<LONG>(info.height);
  *pImageType = static_cast<LONG>(info.type);
  return S_OK;
}

HRESULT CodecObject::DecodeImage(const BYTE* pData, ULONG size, BYTE* pDestination, ULONG destinationSize,
                                 LONG* pOutValue, LONG width, LONG height, LONG rowAlignment, LONG imageType) {
  if (pOutValue != nullptr) *pOutValue = 0;
  return m_core.DecodeInto(pData, size, pDestination, destinationSize, width, height, rowAlignment, imageType);
}

namespace {

const CodecCore& JpegCore() {
  static const JpegCodecCore core;
  return core;
}

const CodecCore& Jpeg2000Core() {
  static const Jp2kCodecCore core;
  return core;
}

}  // namespace

JpegCodecObject::JpegCodecObject() : CodecObject(JpegCore()) {}
Jpeg2000CodecObject::Jpeg2000CodecObject() : CodecObject(Jpeg2000Core()) {}

IKLVImageCodec* CreateJpegCodec() { return NewComponentObject<JpegCodecObject, IKLVImageCodec>(IID_IKLVImageCodec); }

IKLVImageCodec* CreateJpeg2000Codec() {
  return NewComponentObject<Jpeg2000CodecObject, IKLVImageCodec>(IID_IKLVImageCodec);
}

}  // namespace Components

// The JPEG and JPEG 2000 codec classes: IKLVImageCodec over a stateless decoding core.
// Free-threaded: any number of threads may call one object at once.
// Failure codes: E_POINTER (null out or data), E_INVALIDARG (request does not fit), kInvalidData.
#pragma once

#include <KLVInterfaces/KLVImageCodec.h>
#include "codec_common/CodecCore.h"
#include "com_support/ComObject.h"

namespace Components {

class CodecObject : public AutomationObject<CodecObject, IKLVImageCodec> {
 public:
  void* Find(REFIID riid);
  STDMETHOD(GetImageInfo)(const BYTE* pData, ULONG size, LONG* pWidth, LONG* pHeight, LONG* pImageType,
                          VARIANT* pParameters) override;
  STDMETHOD(DecodeImage)(const BYTE* pData, ULONG size, BYTE* pDestination, ULONG destinationSize,
                         LONG* pOutValue, LONG width, LONG height, LONG rowAlignment, LONG imageType) override;

 protected:
  explicit CodecObject(const CodecCore& core) : m_core(core) {}

 private:
  const CodecCore& m_core;  // process-lifetime core (see the classes below)
};

class JpegCodecObject : public CodecObject {
 protected:
  JpegCodecObject();
};

class Jpeg2000CodecObject : public CodecObject {
 protected:
  Jpeg2000CodecObject();
};

// New codec objects with one reference each; null when out of memory.
IKLVImageCodec* CreateJpegCodec();
IKLVImageCodec* CreateJpeg2000Codec();

}  // namespace Components

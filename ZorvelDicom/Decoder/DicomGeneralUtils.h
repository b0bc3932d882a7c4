// Decoding one encoded DICOM frame into a host bitmap or a caller buffer through the codec component,
// the image-type rules (stride, pixel format, bytes per sample) and the uncompressed-frame path.
// Decode may run on many threads at once on one decoder; failures are logged and returned.
#pragma once

#include <ZorvelDicom/ZorvelDicom.h>
#include <KLVInterfaces/KLVImageLayout.h>
#include <zplatform/com_ptr.h>

struct IKLVImageCodec;

namespace DicomGeneralUtils {

// Pixel formats of decoded frames (24-bit B, G, R; 48-bit B, G, R; 16-bit grey; 8-bit grey).
using KLVImageLayout::kFormat16bppGrey;
using KLVImageLayout::kFormat24bppBgr;
using KLVImageLayout::kFormat48bppBgr;
using KLVImageLayout::kFormat8bppGrey;

class CDicomImageDecoder {
 public:
  // transferSyntax: the slide library's transfer-syntax code (0 to 13).
  explicit CDicomImageDecoder(long transferSyntax);
  ~CDicomImageDecoder();
  CDicomImageDecoder(const CDicomImageDecoder&) = delete;
  CDicomImageDecoder& operator=(const CDicomImageDecoder&) = delete;

  // Sizes the bitmap only when its width is 0; otherwise it must hold the decoded frame.
  HRESULT Decode(const BYTE* data, ULONG size, USHORT samplesPerPixel, IKLVBitmapImage* bitmap);
  // Always sizes the bitmap to the frame; width and height are required.
  HRESULT Decode(const BYTE* data, ULONG size, USHORT samplesPerPixel, IKLVBitmapImage2* bitmap, LONG* width,
                 LONG* height);
  // Writes height lines of the frame's stride into destination, which must hold that many bytes.
  HRESULT Decode(const BYTE* data, ULONG size, USHORT samplesPerPixel, BYTE* destination, ULONG* byteCount,
                 LONG* width, LONG* height);

  // The frame must be width x height pixels and fit capacity bytes (lines of the frame's stride);
  // otherwise E_FAIL and nothing is written.
  HRESULT DecodeExact(const BYTE* data, ULONG size, USHORT samplesPerPixel, BYTE* destination, ULONG capacity,
                      LONG width, LONG height);

  static HRESULT GetImageParams(USHORT samplesPerPixel, LONG width, LONG imageType, LONG& stride,
                                LONG* pixelFormat = nullptr);
  // 1 or 2 into bytes; E_NOTIMPL for code 5 and unknown codes.
  static HRESULT GetBytesPerSample(LONG imageType, ULONG& bytes);
  // An uncompressed frame (samples R, G, B or grey) into the bitmap as B, G, R lines.
  static HRESULT DecodeUncompressed(const BYTE* source, USHORT width, USHORT height, USHORT samplesPerPixel,
                                    USHORT bitsAllocated, IKLVBitmapImage* bitmap);

  bool IsSupported() const { return !m_unsupported && m_codec; }

 private:
  struct FrameLayout {
    LONG width = 0;
    LONG height = 0;
    LONG imageType = 0;
    LONG stride = 0;
    LONG pixelFormat = 0;
    ULONG byteCount() const { return static_cast<ULONG>(height) * static_cast<ULONG>(stride); }
  };
  HRESULT ReadLayout(const BYTE* data, ULONG size, USHORT samplesPerPixel, FrameLayout& layout) const;
  HRESULT DecodeInto(const BYTE* data, ULONG size, const FrameLayout& layout, BYTE* destination) const;

  ComPtr<IKLVImageCodec> m_codec;
  bool m_unsupported = false;
};

// Copies lines from source (packed) to destination (stride bytes apart), reversing the three samples
// of every pixel; grey lines are copied as they are. Other layouts write nothing.
void SwapRedAndBlue(const BYTE* source, LONG destinationStride, USHORT width, USHORT height,
                    USHORT samplesPerPixel, USHORT bitsAllocated, BYTE* destination);

}  // namespace DicomGeneralUtils

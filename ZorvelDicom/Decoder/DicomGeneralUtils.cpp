// Tile decoder: codec selection by transfer syntax, the three decode targets and the uncompressed path.
// The codec object is shared by every decode stage; this class adds no lock and makes no copy.
#include "DicomGeneralUtils.h"

#include <cstring>

#include <KLVInterfaces/KLVHostObjects.h>
#include <KLVInterfaces/KLVImageCodec.h>
#include <KLVZorvelHelper.h>
#include <objbase.h>
#include <ppl.h>
#include <base/SeComHelper.h>
#include <base/SeErrorHandler.h>

namespace DicomGeneralUtils {
namespace {

constexpr LPCWSTR kSource = u"DicomGeneralUtils";
constexpr LPCWSTR kParams = u"DicomGeneralUtils::CDicomImageDecoder::GetImageParams";
constexpr LPCWSTR kDecode = u"DicomGeneralUtils::CDicomImageDecoder::Decode";
constexpr LPCWSTR kUncompressed = u"DicomGeneralUtils::CDicomImageDecoder::DecodeUncompressed";
constexpr DWORD kAnyServerContext = 23;
constexpr std::uint32_t kRowAlignment = 4;

using KLVImageLayout::ImageType;

const CLSID* CodecClassFor(long transferSyntax) {
  if (transferSyntax >= 3 && transferSyntax <= 6) return &CLSID_KLVJpegCodec;
  if (transferSyntax >= 9 && transferSyntax <= 12) return &CLSID_KLVJpeg2000Codec;
  return nullptr;
}

template <class Sample>
void ReverseLine(const BYTE* source, BYTE* destination, USHORT width) {
  KLVImageLayout::WriteBgrLine(reinterpret_cast<const Sample*>(source), 3, reinterpret_cast<Sample*>(destination), 3,
                               width);
}

}  // namespace

CDicomImageDecoder::CDicomImageDecoder(long transferSyntax) {
  const bool uncompressed = transferSyntax >= 0 && transferSyntax <= 2;
  const CLSID* codecClass = CodecClassFor(transferSyntax);
  m_unsupported = !uncompressed && codecClass == nullptr;
  if (codecClass != nullptr) {
    // A codec that cannot be created leaves m_codec null: every Decode then answers E_NOTIMPL.
    CoCreateInstance(*codecClass, nullptr, kAnyServerContext, IID_IKLVImageCodec, m_codec.OutVoid());
  }
}

CDicomImageDecoder::~CDicomImageDecoder() = default;

HRESULT CDicomImageDecoder::GetImageParams(USHORT samplesPerPixel, LONG width, LONG imageType, LONG& stride,
                                           LONG* pixelFormat) {
  if (width < 0) return SeReportError(kSource, 66, E_INVALIDARG, kParams);
  const auto type = static_cast<ImageType>(imageType);
  if (type == ImageType::Unsupported) return SeReportError(kSource, 70, E_NOTIMPL, kParams);
  if (KLVImageLayout::BytesPerSample(type) == 0) return SeReportError(kSource, 73, E_NOTIMPL, kParams);
  stride = static_cast<LONG>(
      KLVImageLayout::StrideFor(type, static_cast<std::uint32_t>(width), samplesPerPixel, kRowAlignment));
  if (pixelFormat != nullptr) *pixelFormat = KLVImageLayout::PixelFormatFor(type);
  return S_OK;
}

HRESULT CDicomImageDecoder::GetBytesPerSample(LONG imageType, ULONG& bytes) {
  constexpr LPCWSTR kFunction = u"DicomGeneralUtils::CDicomImageDecoder::GetBytesPerSample";
  const auto type = static_cast<ImageType>(imageType);
  if (type == ImageType::Unsupported) return SeReportError(u"DicomGeneralUtils.h", 40, E_NOTIMPL, kFunction);
  const std::uint32_t perSample = KLVImageLayout::BytesPerSample(type);
  if (perSample == 0) return SeReportError(u"DicomGeneralUtils.h", 42, E_NOTIMPL, kFunction);
  bytes = perSample;
  return S_OK;
}

HRESULT CDicomImageDecoder::ReadLayout(const BYTE* data, ULONG size, USHORT samplesPerPixel,
                                       FrameLayout& layout) const {
  if (!IsSupported()) return SeReportError(kSource, 83, E_NOTIMPL, kParams);
  CSeConfigParamArray parameters;  // empty: the codec takes no options from the module
  VARIANT parameterValue = parameters.GetRawVariant();
  HRESULT hr = m_codec->GetImageInfo(data, size, &layout.width, &layout.height, &layout.imageType, &parameterValue);
  if (FAILED(hr)) return SeReportError(kSource, 86, hr, kParams);
  if (layout.width <= 0 || layout.height <= 0) return SeReportError(kSource, 86, E_FAIL, kParams);
  hr = GetImageParams(samplesPerPixel, layout.width, layout.imageType, layout.stride, &layout.pixelFormat);
  if (FAILED(hr)) return SeReportError(kSource, 88, hr, kParams);
  return S_OK;
}

HRESULT CDicomImageDecoder::DecodeInto(const BYTE* data, ULONG size, const FrameLayout& layout,
                                       BYTE* destination) const {
  LONG unused = 0;
  return m_codec->DecodeImage(data, size, destination, layout.byteCount(), &unused, layout.width, layout.height,
                              static_cast<LONG>(kRowAlignment), layout.imageType);
}

HRESULT CDicomImageDecoder::Decode(const BYTE* data, ULONG size, USHORT samplesPerPixel, IKLVBitmapImage* bitmap) {
  FrameLayout layout;
  HRESULT hr = ReadLayout(data, size, samplesPerPixel, layout);
  if (FAILED(hr)) return SeReportError(kSource, 102, hr, kDecode);
  if (bitmap == nullptr) return SeReportError(kSource, 102, E_INVALIDARG, kDecode);
  LONG width = 0, height = 0, stride = 0;
  bitmap->get_Width(&width);
  if (width == 0) {
    hr = bitmap->Create(layout.width, layout.height, layout.stride, layout.pixelFormat);
    if (FAILED(hr)) return SeReportError(kSource, 110, hr, kDecode);
  }
  // A bitmap sized earlier keeps its size, but it must hold every line the codec writes.
  bitmap->get_Height(&height);
  bitmap->get_Stride(&stride);
  if (height < layout.height || stride < layout.stride) return SeReportError(kSource, 110, E_INVALIDARG, kDecode);
  char* bits = nullptr;
  hr = bitmap->LockBits(&bits);
  if (FAILED(hr) || bits == nullptr) return SeReportError(kSource, 112, FAILED(hr) ? hr : E_FAIL, kDecode);
  const HRESULT decoded = DecodeInto(data, size, layout, reinterpret_cast<BYTE*>(bits));
  hr = bitmap->UnlockBits(bits);
  if (FAILED(decoded)) return SeReportError(kSource, 114, decoded, kDecode);
  if (FAILED(hr)) return SeReportError(kSource, 116, hr, kDecode);
  return S_OK;
}

HRESULT CDicomImageDecoder::Decode(const BYTE* data, ULONG size, USHORT samplesPerPixel, IKLVBitmapImage2* bitmap,
                                   LONG* width, LONG* height) {
  if (width == nullptr || height == nullptr) return SeReportError(kSource, 200, E_INVALIDARG, kDecode);
  FrameLayout layout;
  HRESULT hr = ReadLayout(data, size, samplesPerPixel, layout);
  if (FAILED(hr)) return SeReportError(kSource, 207, hr, kDecode);
  if (bitmap == nullptr) return SeReportError(kSource, 207, E_INVALIDARG, kDecode);
  hr = bitmap->Create(layout.width, layout.height, layout.stride, layout.pixelFormat);
  if (FAILED(hr)) return SeReportError(kSource, 212, hr, kDecode);
  KLVZorvelHelper::CKLVBitmapImage2LockHelper lock;
  ULONG lent = 0;
  BYTE* bits = nullptr;
  hr = lock.RWLockBitsForNative(bitmap, lent, bits);
  if (SUCCEEDED(hr) && (bits == nullptr || lent < layout.byteCount())) hr = E_FAIL;
  if (FAILED(hr)) return SeReportError(kSource, 213, hr, kDecode);
  hr = DecodeInto(data, size, layout, bits);
  if (FAILED(hr)) return SeReportError(kSource, 215, hr, kDecode);
  *width = layout.width;
  *height = layout.height;
  return S_OK;
}

HRESULT CDicomImageDecoder::Decode(const BYTE* data, ULONG size, USHORT samplesPerPixel, BYTE* destination,
                                   ULONG* byteCount, LONG* width, LONG* height) {
  if (width == nullptr || height == nullptr) return SeReportError(kSource, 226, E_INVALIDARG, kDecode);
  FrameLayout layout;
  HRESULT hr = ReadLayout(data, size, samplesPerPixel, layout);
  if (FAILED(hr)) return SeReportError(kSource, 233, hr, kDecode);
  if (destination == nullptr) return SeReportError(kSource, 233, E_INVALIDARG, kDecode);
  if (byteCount != nullptr) *byteCount = layout.byteCount();
  hr = DecodeInto(data, size, layout, destination);
  if (FAILED(hr)) return SeReportError(kSource, 237, hr, kDecode);
  *width = layout.width;
  *height = layout.height;
  return S_OK;
}

HRESULT CDicomImageDecoder::DecodeExact(const BYTE* data, ULONG size, USHORT samplesPerPixel, BYTE* destination,
                                        ULONG capacity, LONG width, LONG height) {
  FrameLayout layout;
  HRESULT hr = ReadLayout(data, size, samplesPerPixel, layout);
  if (FAILED(hr)) return SeReportError(kSource, 233, hr, kDecode);
  if (destination == nullptr || layout.width != width || layout.height != height || layout.byteCount() > capacity) {
    return SeReportError(kSource, 233, E_FAIL, kDecode);
  }
  hr = DecodeInto(data, size, layout, destination);
  if (FAILED(hr)) return SeReportError(kSource, 237, hr, kDecode);
  return S_OK;
}

HRESULT CDicomImageDecoder::DecodeUncompressed(const BYTE* source, USHORT width, USHORT height,
                                               USHORT samplesPerPixel, USHORT bitsAllocated,
                                               IKLVBitmapImage* bitmap) {
  if (source == nullptr || bitmap == nullptr) return SeReportError(kSource, 188, E_INVALIDARG, kUncompressed);
  const LONG bytesPerSample = bitsAllocated / 8;
  const auto stride =
      static_cast<LONG>(KLVImageLayout::RoundUp(std::size_t{width} * samplesPerPixel * bytesPerSample, kRowAlignment));
  // Grey frames get a grey format: a colour format would claim three samples per pixel in the stride.
  LONG format = samplesPerPixel == 3 && bytesPerSample == 2 ? kFormat48bppBgr : kFormat24bppBgr;
  if (samplesPerPixel == 1) format = bytesPerSample == 2 ? kFormat16bppGrey : kFormat8bppGrey;
  HRESULT hr = bitmap->Create(width, height, stride, format);
  if (FAILED(hr)) return SeReportError(kSource, 188, hr, kUncompressed);
  char* bits = nullptr;
  hr = bitmap->LockBits(&bits);
  if (FAILED(hr) || bits == nullptr) return SeReportError(kSource, 190, FAILED(hr) ? hr : E_FAIL, kUncompressed);
  SwapRedAndBlue(source, stride, width, height, samplesPerPixel, bitsAllocated, reinterpret_cast<BYTE*>(bits));
  hr = bitmap->UnlockBits(bits);
  if (FAILED(hr)) return SeReportError(kSource, 192, hr, kUncompressed);
  return S_OK;
}

void SwapRedAndBlue(const BYTE* source, LONG destinationStride, USHORT width, USHORT height, USHORT samplesPerPixel,
                    USHORT bitsAllocated, BYTE* destination) {
  const size_t bytesPerSample = bitsAllocated / 8;
  const size_t lineBytes = size_t{width} * samplesPerPixel * bytesPerSample;
  void (*convertLine)(const BYTE*, BYTE*, USHORT) = nullptr;
  if (samplesPerPixel == 3 && bytesPerSample == 1) convertLine = ReverseLine<BYTE>;
  if (samplesPerPixel == 3 && bytesPerSample == 2) convertLine = ReverseLine<USHORT>;
  if (samplesPerPixel != 1 && convertLine == nullptr) return;
  const size_t stride = static_cast<size_t>(destinationStride);
  if (samplesPerPixel == 1 && height == 1) {
    std::memcpy(destination, source, lineBytes);
    return;
  }
  auto lines = [&](size_t first, size_t last) {
    for (size_t y = first; y < last; ++y) {
      if (convertLine != nullptr) {
        convertLine(source + y * lineBytes, destination + y * stride, width);
      } else {
        std::memcpy(destination + y * stride, source + y * lineBytes, lineBytes);
      }
    }
  };
  if (height < 2) {
    lines(0, height);
    return;
  }
  Concurrency::parallel_for(size_t{0}, size_t{height}, [&](size_t y) { lines(y, y + 1); });
}

}  // namespace DicomGeneralUtils

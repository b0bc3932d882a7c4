// Chooses the JPEG decoder by coding process and precision.
#include "JpegCodecCore.h"

#include "JpegHeader.h"
#include "JpegIjgDecoders.h"
#include "JpegTurboDecoder.h"

namespace Components {

HRESULT JpegCodecCore::ReadInfo(const std::uint8_t* data, std::size_t size, ImageInfo& info) const {
  if (data == nullptr) return E_POINTER;
  const auto header = ReadJpegFrameHeader(data, size);
  if (!header) return kInvalidData;
  const ImageType type = TypeFor(header->components, header->precision);
  if (type == ImageType::Unsupported) return kInvalidData;
  info = ImageInfo{header->width, header->height, header->components, header->precision > 8 ? 16u : 8u, type};
  return S_OK;
}

HRESULT JpegCodecCore::Decode(const std::uint8_t* data, std::size_t size, const ImageInfo& info,
                              const Destination& dest) const {
  const auto header = ReadJpegFrameHeader(data, size);
  if (!header || header->width != info.width || header->height != info.height) return kInvalidData;
  if (!header->IsLossless() && header->precision == 8) return DecodeWithTurboJpeg(data, size, dest);
  if (header->precision < 2 || header->precision > 16) return kInvalidData;
  if (header->precision <= 8) return DecodeWithIjg8(data, size, *header, dest);
  if (header->precision <= 12) return DecodeWithIjg12(data, size, *header, dest);
  return DecodeWithIjg16(data, size, *header, dest);
}

}  // namespace Components

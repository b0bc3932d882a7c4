// Tile decoding with the codec classes registered by the module's components.
#include "TileDecoder.h"

#include <KLVInterfaces/KLVImageCodec.h>
#include <KLVInterfaces/KLVImageLayout.h>
#include <objbase.h>

#include <zplatform/com_ptr.h>

namespace zorvel_cli {
namespace {

using KLVImageLayout::ImageType;

CallResult TakeUncompressed(const std::vector<std::uint8_t>& encoded, std::uint32_t width, std::uint32_t height,
                            DecodedImage& image) {
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  if (pixels == 0 || (encoded.size() != pixels && encoded.size() != pixels * 3)) {
    return {E_NOTIMPL, "decoding an uncompressed tile of " + std::to_string(encoded.size()) + " bytes"};
  }
  image.width = width;
  image.height = height;
  image.samplesPerPixel = encoded.size() == pixels ? 1 : 3;
  image.pixels.resize(encoded.size());
  KLVImageLayout::WriteBgrLine(encoded.data(), image.samplesPerPixel, image.pixels.data(), image.samplesPerPixel,
                               static_cast<std::uint32_t>(pixels));
  return {};
}

}  // namespace

CallResult DecodeTile(const std::vector<std::uint8_t>& encoded, const std::string& compressionType,
                      std::uint32_t tileWidth, std::uint32_t tileHeight, DecodedImage& image) {
  if (compressionType.find("UNCOMPRESSED") != std::string::npos) {
    return TakeUncompressed(encoded, tileWidth, tileHeight, image);
  }
  const CLSID& codecClass = compressionType == "JPEG2000" ? CLSID_KLVJpeg2000Codec : CLSID_KLVJpegCodec;
  if (compressionType != "JPEG" && compressionType != "JPEG2000") {
    return {E_NOTIMPL, "decoding a tile compressed as '" + compressionType + "'"};
  }
  ComPtr<IKLVImageCodec> codec;
  HRESULT hr = CoCreateInstance(codecClass, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVImageCodec, codec.OutVoid());
  if (FAILED(hr)) return {hr, "CoCreateInstance(codec)"};
  LONG width = 0, height = 0, type = -1;
  const auto size = static_cast<ULONG>(encoded.size());
  hr = codec->GetImageInfo(encoded.data(), size, &width, &height, &type, nullptr);
  if (FAILED(hr)) return {hr, "IKLVImageCodec::GetImageInfo"};
  if (width <= 0 || height <= 0) return {E_UNEXPECTED, "IKLVImageCodec::GetImageInfo"};
  const bool grey = type == static_cast<LONG>(ImageType::Grey8) || type == static_cast<LONG>(ImageType::Grey16);
  const ImageType decodeType = grey ? ImageType::Grey8 : ImageType::Colour8;
  image.width = static_cast<std::uint32_t>(width);
  image.height = static_cast<std::uint32_t>(height);
  image.samplesPerPixel = grey ? 1 : 3;
  image.pixels.assign(KLVImageLayout::StrideFor(decodeType, image.width, 3, 1) * image.height, 0);
  hr = codec->DecodeImage(encoded.data(), size, image.pixels.data(), static_cast<ULONG>(image.pixels.size()), nullptr,
                          width, height, 1, static_cast<LONG>(decodeType));
  if (FAILED(hr)) return {hr, "IKLVImageCodec::DecodeImage"};
  return {};
}

}  // namespace zorvel_cli

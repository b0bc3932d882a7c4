// Tile decoding with the codec classes registered by the module's components.
#include "TileDecoder.h"

#include <KLVComponentInterfaces.h>
#include <objbase.h>

#include "ComRef.h"

namespace zorvel_cli {
namespace {

constexpr LONG kGrey8 = 0;
constexpr LONG kColour8 = 1;  // B, G, R
constexpr LONG kGrey16 = 3;

CallResult TakeUncompressed(const std::vector<std::uint8_t>& encoded, std::uint32_t width, std::uint32_t height,
                            DecodedImage& image) {
  const std::size_t pixels = static_cast<std::size_t>(width) * height;
  if (pixels == 0 || (encoded.size() != pixels && encoded.size() != pixels * 3)) {
    return {E_NOTIMPL, "decoding an uncompressed tile of " + std::to_string(encoded.size()) + " bytes"};
  }
  image.width = width;
  image.height = height;
  image.samplesPerPixel = encoded.size() == pixels ? 1 : 3;
  image.pixels = encoded;
  if (image.samplesPerPixel == 3) {
    for (std::size_t i = 0; i < pixels; ++i) std::swap(image.pixels[3 * i], image.pixels[3 * i + 2]);  // RGB to BGR
  }
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
  ComRef<IKLVImageCodec> codec;
  HRESULT hr = CoCreateInstance(codecClass, nullptr, CLSCTX_INPROC_SERVER, IID_IKLVImageCodec, codec.OutVoid());
  if (FAILED(hr)) return {hr, "CoCreateInstance(codec)"};
  LONG width = 0, height = 0, type = -1;
  const auto size = static_cast<ULONG>(encoded.size());
  hr = codec->GetImageInfo(encoded.data(), size, &width, &height, &type, nullptr);
  if (FAILED(hr)) return {hr, "IKLVImageCodec::GetImageInfo"};
  if (width <= 0 || height <= 0) return {E_UNEXPECTED, "IKLVImageCodec::GetImageInfo"};
  const LONG decodeType = type == kGrey8 || type == kGrey16 ? kGrey8 : kColour8;
  image.width = static_cast<std::uint32_t>(width);
  image.height = static_cast<std::uint32_t>(height);
  image.samplesPerPixel = decodeType == kGrey8 ? 1 : 3;
  image.pixels.assign(static_cast<std::size_t>(width) * height * image.samplesPerPixel, 0);
  hr = codec->DecodeImage(encoded.data(), size, image.pixels.data(), static_cast<ULONG>(image.pixels.size()), nullptr,
                          width, height, 1, decodeType);
  if (FAILED(hr)) return {hr, "IKLVImageCodec::DecodeImage"};
  return {};
}

}  // namespace zorvel_cli

// JPEG encoding through TurboJPEG's compressor.
#include "JpegEncoder.h"

#include <turbojpeg.h>

namespace zorvel_serve {
namespace {

// High bytes of little-endian 16-bit samples.
zorvel_cli::DecodedImage Narrowed(const zorvel_cli::DecodedImage& picture) {
  zorvel_cli::DecodedImage narrow{picture.width, picture.height, picture.samplesPerPixel, 1, {}};
  narrow.pixels.resize(picture.pixels.size() / 2);
  for (std::size_t i = 0; i < narrow.pixels.size(); ++i) narrow.pixels[i] = picture.pixels[2 * i + 1];
  return narrow;
}

}  // namespace

std::string EncodeJpeg(const zorvel_cli::DecodedImage& picture, int quality) {
  if (picture.bytesPerSample == 2) return EncodeJpeg(Narrowed(picture), quality);
  if (picture.width == 0 || picture.height == 0 || picture.pixels.size() < picture.LineBytes() * picture.height) return {};
  tjhandle compressor = tjInitCompress();
  if (compressor == nullptr) return {};
  const bool grey = picture.samplesPerPixel == 1;
  unsigned char* encoded = nullptr;
  unsigned long size = 0;
  const int failed = tjCompress2(compressor, picture.pixels.data(), static_cast<int>(picture.width),
                                 static_cast<int>(picture.LineBytes()), static_cast<int>(picture.height),
                                 grey ? TJPF_GRAY : TJPF_BGR, &encoded, &size, grey ? TJSAMP_GRAY : TJSAMP_420, quality,
                                 TJFLAG_FASTDCT);
  std::string bytes = failed == 0 ? std::string(reinterpret_cast<const char*>(encoded), size) : std::string();
  tjFree(encoded);
  tjDestroy(compressor);
  return bytes;
}

}  // namespace zorvel_serve

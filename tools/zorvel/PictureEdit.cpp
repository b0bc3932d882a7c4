// Picture cropping and area-average shrinking.
#include "PictureEdit.h"

#include <algorithm>
#include <cstring>

namespace zorvel_cli {
namespace {

std::uint32_t Sample(const DecodedImage& picture, std::size_t index) {
  if (picture.bytesPerSample == 1) return picture.pixels[index];
  return picture.pixels[2 * index] | (std::uint32_t{picture.pixels[2 * index + 1]} << 8);
}

void StoreSample(DecodedImage& picture, std::size_t index, std::uint32_t value) {
  if (picture.bytesPerSample == 1) {
    picture.pixels[index] = static_cast<std::uint8_t>(value);
  } else {
    picture.pixels[2 * index] = static_cast<std::uint8_t>(value);
    picture.pixels[2 * index + 1] = static_cast<std::uint8_t>(value >> 8);
  }
}

// Source span [first, last) of output position i when n source positions shrink to m.
void Span(std::uint32_t i, std::uint32_t n, std::uint32_t m, std::uint32_t& first, std::uint32_t& last) {
  first = static_cast<std::uint32_t>(std::uint64_t{i} * n / m);
  last = std::max(first + 1, static_cast<std::uint32_t>(std::uint64_t{i + 1} * n / m));
}

}  // namespace

DecodedImage Crop(const DecodedImage& picture, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                  std::uint32_t height) {
  DecodedImage part{width, height, picture.samplesPerPixel, picture.bytesPerSample, {}};
  const std::size_t pixelBytes = std::size_t{picture.samplesPerPixel} * picture.bytesPerSample;
  part.pixels.resize(part.LineBytes() * height);
  for (std::uint32_t row = 0; row < height; ++row) {
    std::memcpy(part.pixels.data() + row * part.LineBytes(),
                picture.pixels.data() + (y + row) * picture.LineBytes() + x * pixelBytes, part.LineBytes());
  }
  return part;
}

DecodedImage FitWithin(DecodedImage picture, std::uint32_t max) {
  const std::uint32_t longer = std::max(picture.width, picture.height);
  if (longer <= max || max == 0) return picture;
  return ResizeTo(picture, std::max<std::uint32_t>(1, static_cast<std::uint32_t>(std::uint64_t{picture.width} * max / longer)),
                  std::max<std::uint32_t>(1, static_cast<std::uint32_t>(std::uint64_t{picture.height} * max / longer)));
}

DecodedImage ResizeTo(const DecodedImage& picture, std::uint32_t width, std::uint32_t height) {
  if (width == picture.width && height == picture.height) return picture;
  DecodedImage fitted{width, height, picture.samplesPerPixel, picture.bytesPerSample, {}};
  fitted.pixels.resize(fitted.LineBytes() * fitted.height);
  const std::uint32_t spp = picture.samplesPerPixel;
  for (std::uint32_t oy = 0; oy < fitted.height; ++oy) {
    std::uint32_t y0, y1;
    Span(oy, picture.height, fitted.height, y0, y1);
    for (std::uint32_t ox = 0; ox < fitted.width; ++ox) {
      std::uint32_t x0, x1;
      Span(ox, picture.width, fitted.width, x0, x1);
      for (std::uint32_t s = 0; s < spp; ++s) {
        std::uint64_t sum = 0;
        for (std::uint32_t y = y0; y < y1; ++y) {
          for (std::uint32_t x = x0; x < x1; ++x) sum += Sample(picture, (std::size_t{y} * picture.width + x) * spp + s);
        }
        const std::uint64_t count = std::uint64_t{y1 - y0} * (x1 - x0);
        StoreSample(fitted, (std::size_t{oy} * fitted.width + ox) * spp + s, static_cast<std::uint32_t>(sum / count));
      }
    }
  }
  return fitted;
}

}  // namespace zorvel_cli

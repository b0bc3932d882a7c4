// Image-type codes, line strides and the check of a caller's destination against an image.
#include "PixelLayout.h"

#include <bit>

namespace Components {
namespace {

std::size_t RoundUp(std::size_t value, std::uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

// The samples per pixel and bytes per sample a type writes; {0, 0} when unknown.
struct SampleShape {
  std::uint32_t samples;
  std::uint32_t bytes;
};

SampleShape ShapeOf(ImageType type, const ImageInfo& image) {
  switch (type) {
    case ImageType::Grey8: return {1, 1};
    case ImageType::Colour8: return {3, 1};
    case ImageType::Colour16: return {3, 2};
    case ImageType::Grey16: return {1, 2};
    case ImageType::Fluorescence8: return {image.components, 1};
    case ImageType::Fluorescence16: return {image.components, 2};
    default: return {0, 0};
  }
}

}  // namespace

ImageType TypeFor(std::uint32_t components, std::uint32_t bitsPerSample) {
  const bool wide = bitsPerSample > 8;
  if (components == 1) return wide ? ImageType::Grey16 : ImageType::Grey8;
  if (components == 3) return wide ? ImageType::Colour16 : ImageType::Colour8;
  return ImageType::Unsupported;
}

std::size_t StrideFor(ImageType type, std::uint32_t width, std::uint32_t alignment) {
  if (alignment == 0 || !std::has_single_bit(alignment)) return 0;
  switch (type) {
    case ImageType::Grey8: return RoundUp(width, alignment);
    case ImageType::Colour8: return RoundUp(std::size_t{3} * width, alignment);
    case ImageType::Colour16: return RoundUp(std::size_t{6} * width, alignment);
    case ImageType::Grey16: return RoundUp(width, alignment) * 2;
    default: return 0;
  }
}

HRESULT PlanDestination(const ImageInfo& image, std::uint8_t* bytes, std::size_t size, std::int32_t width,
                        std::int32_t height, std::int32_t alignment, std::int32_t type, Destination& out) {
  if (bytes == nullptr) return E_POINTER;
  if (width <= 0 || height <= 0 || alignment <= 0) return E_INVALIDARG;
  if (static_cast<std::uint32_t>(width) != image.width || static_cast<std::uint32_t>(height) != image.height) {
    return E_INVALIDARG;
  }
  const auto requested = static_cast<ImageType>(type);
  const SampleShape shape = ShapeOf(requested, image);
  const std::uint32_t imageBytes = image.bitsPerSample > 8 ? 2 : 1;
  const bool widenGrey = image.components == 1 && shape.samples == 3;
  if (shape.samples == 0 || shape.bytes != imageBytes || (shape.samples != image.components && !widenGrey)) {
    return E_INVALIDARG;
  }
  const ImageType layout = TypeFor(shape.samples, shape.bytes * 8);
  const std::size_t stride = StrideFor(layout, image.width, static_cast<std::uint32_t>(alignment));
  if (stride == 0 || size / stride < image.height) return E_INVALIDARG;
  out = Destination{bytes, size, stride, image.width, image.height, shape.samples, shape.bytes};
  return S_OK;
}

}  // namespace Components

// The check of a codec request against the image it decodes.
#include "CodecDestination.h"

namespace Components {
namespace {

// The samples per pixel a type writes for an image of `components` samples; 0 when unknown. Lines
// are written with 1 (grey) or 3 (B, G, R) samples only.
std::uint32_t SamplesOf(ImageType type, const ImageInfo& image) {
  switch (type) {
    case ImageType::Grey8: case ImageType::Grey16: return 1;
    case ImageType::Colour8: case ImageType::Colour16: return 3;
    case ImageType::Fluorescence8: case ImageType::Fluorescence16: return image.components;
    default: return 0;
  }
}

}  // namespace

HRESULT PlanDestination(const ImageInfo& image, std::uint8_t* bytes, std::size_t size, std::int32_t width,
                        std::int32_t height, std::int32_t alignment, std::int32_t type, Destination& out) {
  if (bytes == nullptr) return E_POINTER;
  if (width <= 0 || height <= 0 || alignment <= 0) return E_INVALIDARG;
  if (static_cast<std::uint32_t>(width) != image.width || static_cast<std::uint32_t>(height) != image.height) {
    return E_INVALIDARG;
  }
  const auto requested = static_cast<ImageType>(type);
  const std::uint32_t samples = SamplesOf(requested, image);
  const std::uint32_t bytesPerSample = KLVImageLayout::BytesPerSample(requested);
  const std::uint32_t imageBytes = image.bitsPerSample > 8 ? 2 : 1;
  const bool widenGrey = image.components == 1 && samples == 3;
  if ((samples != 1 && samples != 3) || bytesPerSample != imageBytes || (samples != image.components && !widenGrey)) {
    return E_INVALIDARG;
  }
  const std::size_t stride = StrideFor(requested, image.width, samples, static_cast<std::uint32_t>(alignment));
  if (stride == 0 || size / stride < image.height) return E_INVALIDARG;
  out = Destination{bytes, size, stride, image.width, image.height, samples, bytesPerSample};
  return S_OK;
}

}  // namespace Components

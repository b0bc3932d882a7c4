// Image-type codes of decoded tiles and the destination layout a codec writes into:
// B, G, R (or one sample) lines of `stride` bytes, 8- or 16-bit little-endian samples.
// Pure arithmetic; failure codes: E_INVALIDARG for a destination that cannot hold the image.
#pragma once

#include <cstddef>
#include <cstdint>

#include "winerror.h"

namespace Components {

// Codes as reported per frame by the codecs and understood by the module's decoder.
enum class ImageType : std::int32_t {
  Grey8 = 0,
  Colour8 = 1,
  Colour16 = 2,
  Grey16 = 3,
  Fluorescence8 = 4,
  Unsupported = 5,
  Fluorescence16 = 6,
};

// What an encoded image holds, as its codec reads it from the header.
struct ImageInfo {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t components = 0;  // 1 (grey) or 3 (colour)
  std::uint32_t bitsPerSample = 0;  // 8 or 16 (any precision above 8 is written as 16)
  ImageType type = ImageType::Unsupported;
};

// Where and how decoded pixels are written.
struct Destination {
  std::uint8_t* bytes = nullptr;  // first byte of line 0 (caller-owned)
  std::size_t size = 0;           // bytes available from `bytes`
  std::size_t stride = 0;         // bytes from one line to the next
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t samples = 0;        // samples written per pixel: 1 or 3 (B, G, R)
  std::uint32_t bytesPerSample = 0;  // 1 or 2
};

// Failure code for encoded data that cannot be decoded (corrupt, truncated, unsupported layout).
inline constexpr HRESULT kInvalidData = HRESULT_FROM_WIN32(13);  // ERROR_INVALID_DATA

ImageType TypeFor(std::uint32_t components, std::uint32_t bitsPerSample);

// Stride of a line for the image type with lines padded to `alignment` bytes (a power of two);
// 0 when the type or alignment is not supported. Grey16 pads the pixel count, then doubles it.
std::size_t StrideFor(ImageType type, std::uint32_t width, std::uint32_t alignment);

// Checks the caller's request against the image and fills `out`: the width and height must be the
// image's, the type one the image can be written as (grey may be widened to B, G, R), and the
// buffer must hold height * stride bytes. E_INVALIDARG / E_POINTER otherwise.
HRESULT PlanDestination(const ImageInfo& image, std::uint8_t* bytes, std::size_t size, std::int32_t width,
                        std::int32_t height, std::int32_t alignment, std::int32_t type, Destination& out);

}  // namespace Components

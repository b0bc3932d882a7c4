// What a codec reads from an encoded image's header and where its decoded lines go: the check of a
// caller's DecodeImage request against the image. Image-type codes and strides: KLVImageLayout.h.
// Pure arithmetic; failure codes: E_POINTER, E_INVALIDARG for a destination that cannot hold the image.
#pragma once

#include <cstddef>
#include <cstdint>

#include <KLVInterfaces/KLVImageLayout.h>

#include "winerror.h"

namespace Components {

using KLVImageLayout::ImageType;
using KLVImageLayout::StrideFor;
using KLVImageLayout::TypeFor;

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

// Checks the caller's request against the image and fills `out`: the width and height must be the
// image's, the type one the image can be written as (grey may be widened to B, G, R), and the
// buffer must hold height lines of the type's stride. E_INVALIDARG / E_POINTER otherwise.
HRESULT PlanDestination(const ImageInfo& image, std::uint8_t* bytes, std::size_t size, std::int32_t width,
                        std::int32_t height, std::int32_t alignment, std::int32_t type, Destination& out);

}  // namespace Components

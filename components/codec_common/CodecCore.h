// The decoding core behind a codec component: reads an encoded image's header and decodes it
// into a caller's lines. Implementations are stateless and free-threaded.
// Failure codes: kInvalidData (bad stream), E_INVALIDARG / E_POINTER (bad request), E_OUTOFMEMORY.
#pragma once

#include <cstddef>
#include <cstdint>

#include "CodecDestination.h"

namespace Components {

class CodecCore {
 public:
  virtual ~CodecCore() = default;

  // Size, components, precision and image-type code of the encoded image.
  virtual HRESULT ReadInfo(const std::uint8_t* data, std::size_t size, ImageInfo& info) const = 0;

  // Decodes into `dest`, already checked against `info` by PlanDestination.
  virtual HRESULT Decode(const std::uint8_t* data, std::size_t size, const ImageInfo& info,
                         const Destination& dest) const = 0;

  // ReadInfo, PlanDestination and Decode: the whole request of a codec component's DecodeImage.
  HRESULT DecodeInto(const std::uint8_t* data, std::size_t size, std::uint8_t* bytes, std::size_t byteCount,
                     std::int32_t width, std::int32_t height, std::int32_t alignment, std::int32_t type) const;
};

}  // namespace Components

// Decoders over GDCM's libjpeg builds for streams TurboJPEG does not take: the lossless process
// (any precision) and 12/16-bit lossy streams. One per sample width; free-threaded.
// Failure codes: kInvalidData (corrupt, truncated, header mismatch), E_OUTOFMEMORY.
#pragma once

#include <cstddef>
#include <cstdint>

#include "JpegHeader.h"
#include "codec_common/CodecDestination.h"

namespace Components {

HRESULT DecodeWithIjg8(const std::uint8_t* data, std::size_t size, const JpegFrameHeader& header,
                       const Destination& dest);
HRESULT DecodeWithIjg12(const std::uint8_t* data, std::size_t size, const JpegFrameHeader& header,
                        const Destination& dest);
HRESULT DecodeWithIjg16(const std::uint8_t* data, std::size_t size, const JpegFrameHeader& header,
                        const Destination& dest);

}  // namespace Components

// 8-bit JPEG (baseline, extended, progressive) decoded by TurboJPEG straight into the destination
// lines, B, G, R or grey. Free-threaded: each thread uses its own decompressor handle.
// Failure codes: kInvalidData (corrupt or truncated stream, warnings included), E_OUTOFMEMORY.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codec_common/CodecDestination.h"

namespace Components {

// dest describes 8-bit lines of the image's own width and height (checked by PlanDestination).
HRESULT DecodeWithTurboJpeg(const std::uint8_t* data, std::size_t size, const Destination& dest);

}  // namespace Components

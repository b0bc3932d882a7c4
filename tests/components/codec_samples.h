// Encoded samples written by make_codec_samples.py and the helpers the codec tests share:
// loading, picking the core for a sample, decoding into packed R, G, B lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "../support/codec_sample_list.h"
#include "codec_common/CodecCore.h"

namespace Components::Testing {

using Sample = codec_samples::Sample;

const std::vector<Sample>& Samples();
const CodecCore& CoreFor(const Sample& sample);

// Decodes with the sample's own type and alignment 4; returns the lines repacked as R, G, B.
HRESULT DecodePacked(const CodecCore& core, const std::vector<std::uint8_t>& encoded, const Sample& sample,
                     std::vector<std::uint8_t>& packed);

}  // namespace Components::Testing

// Writes packed decoded samples (R, G, B or grey; 8-bit or 16-bit host order) into destination
// lines in B, G, R order, widening grey to three equal samples when the destination asks for it.
#pragma once

#include <cstdint>

#include "PixelLayout.h"

namespace Components {

// `source` holds dest.height packed lines of dest.width * components samples of dest.bytesPerSample
// bytes; components is 1 or 3 and colour samples are in R, G, B order.
void WritePackedLines(const std::uint8_t* source, std::uint32_t components, const Destination& dest);

}  // namespace Components

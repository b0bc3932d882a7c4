// Unpacking an uncompressed DICOM frame (samples R, G, B or one channel, 8 or 16 bits, packed
// lines) into decoded-tile lines: B, G, R order, and only the high byte of 16-bit samples when
// reducing to 8 bits. Pure; checks the frame's length before reading it.
#pragma once

#include <cstdint>

namespace Render {

struct UncompressedLayout {
  int64_t width = 0, height = 0;
  int samples = 3;         // 1 or 3
  int bytesPerSample = 1;  // 1 or 2, little-endian
};

// False (nothing written) when the frame is shorter than its layout or the layout is not one of these.
bool UnpackUncompressedTile(const uint8_t* frame, uint64_t frameBytes, const UncompressedLayout& layout, bool reduce,
                            uint8_t* destination, int64_t destinationStride);

}  // namespace Render

// Uncompressed frames into decoded-tile lines, lines in parallel.
#include "Render/TileUnpack.h"

#include <cstring>

#include <ppl.h>

namespace Render {
namespace {

// One line: samples of each pixel reversed when there are three; the high byte when reducing.
void UnpackLine(const uint8_t* in, uint8_t* out, const UncompressedLayout& l, bool reduce) {
  const int outBytes = reduce ? 1 : l.bytesPerSample;
  const int highByte = reduce && l.bytesPerSample == 2 ? 1 : 0;
  if (l.samples == 1 && !reduce) {
    std::memcpy(out, in, static_cast<size_t>(l.width * l.bytesPerSample));
    return;
  }
  for (int64_t x = 0; x < l.width; ++x, in += l.samples * l.bytesPerSample, out += l.samples * outBytes) {
    for (int s = 0; s < l.samples; ++s) {
      const uint8_t* sample = in + (l.samples - 1 - s) * l.bytesPerSample;
      std::memcpy(out + s * outBytes, sample + highByte, static_cast<size_t>(outBytes));
    }
  }
}

}  // namespace

bool UnpackUncompressedTile(const uint8_t* frame, uint64_t frameBytes, const UncompressedLayout& l, bool reduce,
                            uint8_t* destination, int64_t destinationStride) {
  if ((l.samples != 1 && l.samples != 3) || (l.bytesPerSample != 1 && l.bytesPerSample != 2)) return false;
  const int64_t lineBytes = l.width * l.samples * l.bytesPerSample;
  if (frame == nullptr || l.width <= 0 || l.height <= 0 || frameBytes < static_cast<uint64_t>(lineBytes * l.height)) {
    return false;
  }
  Concurrency::parallel_for(int64_t{0}, l.height, [&](int64_t y) {
    UnpackLine(frame + y * lineBytes, destination + y * destinationStride, l, reduce);
  });
  return true;
}

}  // namespace Render

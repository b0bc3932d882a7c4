// Packed R, G, B / grey lines into B, G, R / grey destination lines.
#include "SampleWriter.h"

#include <cstring>

namespace Components {
namespace {

template <typename Sample>
void WriteLine(const Sample* in, std::uint32_t components, std::uint32_t width, std::uint32_t samples, Sample* out) {
  if (components == samples && samples == 1) {
    std::memcpy(out, in, sizeof(Sample) * width);
    return;
  }
  for (std::uint32_t x = 0; x < width; ++x, out += 3) {
    if (components == 3) {
      out[0] = in[3 * x + 2];
      out[1] = in[3 * x + 1];
      out[2] = in[3 * x];
    } else {
      out[0] = out[1] = out[2] = in[x];
    }
  }
}

template <typename Sample>
void WriteAll(const std::uint8_t* source, std::uint32_t components, const Destination& dest) {
  const std::size_t sourceLine = std::size_t{dest.width} * components * sizeof(Sample);
  for (std::uint32_t y = 0; y < dest.height; ++y) {
    const auto* in = reinterpret_cast<const Sample*>(source + y * sourceLine);
    auto* out = reinterpret_cast<Sample*>(dest.bytes + y * dest.stride);
    WriteLine(in, components, dest.width, dest.samples, out);
  }
}

}  // namespace

void WritePackedLines(const std::uint8_t* source, std::uint32_t components, const Destination& dest) {
  if (dest.bytesPerSample == 2) {
    WriteAll<std::uint16_t>(source, components, dest);
  } else {
    WriteAll<std::uint8_t>(source, components, dest);
  }
}

}  // namespace Components

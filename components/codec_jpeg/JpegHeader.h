// Reads the frame header (SOF) of a JPEG stream: coding process, sample precision, size and
// component count, without decoding. Bounded by the given length; never reads past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace Components {

struct JpegFrameHeader {
  std::uint8_t marker = 0;     // SOF marker: 0xC0 baseline, 0xC1 extended, 0xC2 progressive, 0xC3 lossless, ...
  std::uint8_t precision = 0;  // bits per sample: 8, 12 or 16 (2 to 16 for lossless)
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t components = 0;

  bool IsLossless() const { return marker == 0xC3 || marker == 0xC7 || marker == 0xCB || marker == 0xCF; }
};

// The first frame header of the stream; nothing when the bytes are not a JPEG stream with a
// complete SOF segment of non-zero size before the first scan.
std::optional<JpegFrameHeader> ReadJpegFrameHeader(const std::uint8_t* data, std::size_t size);

}  // namespace Components

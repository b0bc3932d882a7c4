// JPEG marker walk up to the first frame header (ITU T.81 B.1.1).
#include "JpegHeader.h"

namespace Components {
namespace {

bool IsFrameMarker(std::uint8_t m) {
  return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

bool HasNoLength(std::uint8_t m) { return m == 0x01 || (m >= 0xD0 && m <= 0xD7); }

std::uint32_t Read16(const std::uint8_t* p) { return (std::uint32_t{p[0]} << 8) | p[1]; }

std::optional<JpegFrameHeader> ParseFrame(std::uint8_t marker, const std::uint8_t* segment, std::size_t length) {
  if (length < 8) return std::nullopt;  // length field, precision, height, width, component count
  JpegFrameHeader header;
  header.marker = marker;
  header.precision = segment[2];
  header.height = Read16(segment + 3);
  header.width = Read16(segment + 5);
  header.components = segment[7];
  if (header.width == 0 || header.height == 0 || header.components == 0) return std::nullopt;
  if (length < 8 + std::size_t{3} * header.components) return std::nullopt;
  return header;
}

}  // namespace

std::optional<JpegFrameHeader> ReadJpegFrameHeader(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return std::nullopt;
  std::size_t pos = 2;
  while (pos + 1 < size) {
    if (data[pos] != 0xFF) return std::nullopt;
    while (pos + 1 < size && data[pos + 1] == 0xFF) ++pos;  // fill bytes
    if (pos + 1 >= size) break;
    const std::uint8_t marker = data[pos + 1];
    pos += 2;
    if (HasNoLength(marker)) continue;
    if (marker == 0xD9 || marker == 0xDA || pos + 2 > size) return std::nullopt;  // EOI or scan before SOF
    const std::size_t length = Read16(data + pos);
    if (length < 2 || pos + length > size) return std::nullopt;
    if (IsFrameMarker(marker)) return ParseFrame(marker, data + pos, length);
    pos += length;
  }
  return std::nullopt;
}

}  // namespace Components

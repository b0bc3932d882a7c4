// SIZ segment of a JPEG 2000 codestream (ITU T.800 A.5.1), reached through the JP2 boxes (I.4).
#include "CodestreamSize.h"

#include <cstring>

namespace Components {
namespace {

std::uint32_t Read16(const std::uint8_t* p) { return (std::uint32_t{p[0]} << 8) | p[1]; }
std::uint32_t Read32(const std::uint8_t* p) { return (Read16(p) << 16) | Read16(p + 2); }

// Offset of the codestream in a JP2 file: the content of its first top-level 'jp2c' box.
std::optional<std::size_t> FindCodestreamBox(const std::uint8_t* data, std::size_t size) {
  std::size_t pos = 0;
  while (pos + 8 <= size) {
    std::uint64_t length = Read32(data + pos);
    std::size_t header = 8;
    if (length == 1) {
      if (pos + 16 > size) return std::nullopt;
      length = (std::uint64_t{Read32(data + pos + 8)} << 32) | Read32(data + pos + 12);
      header = 16;
    }
    if (std::memcmp(data + pos + 4, "jp2c", 4) == 0) return pos + header;
    if (length == 0 || length < header || length > size - pos) return std::nullopt;
    pos += static_cast<std::size_t>(length);
  }
  return std::nullopt;
}

std::uint64_t Ceil(std::uint32_t span, std::uint32_t step) { return (std::uint64_t{span} + step - 1) / step; }

}  // namespace

std::optional<CodestreamSize> ReadCodestreamSize(const std::uint8_t* data, std::size_t size) {
  static const std::uint8_t kSocSiz[] = {0xFF, 0x4F, 0xFF, 0x51};
  constexpr std::size_t kSizFields = 4 + 38;  // markers, then Lsiz to Csiz
  if (data == nullptr) return std::nullopt;
  std::size_t at = 0;
  if (size < kSizFields || std::memcmp(data, kSocSiz, sizeof kSocSiz) != 0) {
    const auto box = FindCodestreamBox(data, size);
    if (!box || size - *box < kSizFields || std::memcmp(data + *box, kSocSiz, sizeof kSocSiz) != 0) return std::nullopt;
    at = *box;
  }
  const std::uint8_t* siz = data + at + 4;
  const std::uint32_t x1 = Read32(siz + 4), y1 = Read32(siz + 8), x0 = Read32(siz + 12), y0 = Read32(siz + 16);
  const std::uint32_t tileWidth = Read32(siz + 20), tileHeight = Read32(siz + 24);
  const std::uint32_t tileX0 = Read32(siz + 28), tileY0 = Read32(siz + 32);
  if (x1 <= x0 || y1 <= y0 || tileWidth == 0 || tileHeight == 0 || tileX0 > x0 || tileY0 > y0) return std::nullopt;
  CodestreamSize s;
  s.width = x1 - x0;
  s.height = y1 - y0;
  s.tiles = Ceil(x1 - tileX0, tileWidth) * Ceil(y1 - tileY0, tileHeight);
  s.components = Read16(siz + 36);
  return s;
}

}  // namespace Components

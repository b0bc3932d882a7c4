// Grid and level arithmetic of the render commands.
#include "RegionArithmetic.h"

#include <algorithm>
#include <climits>

#include "CommandLine.h"

namespace zorvel_cli {
namespace {

std::int64_t FloorDiv(std::int64_t value, std::int64_t divisor) {
  const std::int64_t quotient = value / divisor;
  return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

}  // namespace

CoveredRect TilesCovering(const PixelRect& rect) {
  CoveredRect covered;
  covered.tiles.x1 = FloorDiv(rect.x, kGridTile);
  covered.tiles.y1 = FloorDiv(rect.y, kGridTile);
  covered.tiles.x2 = FloorDiv(rect.x + rect.width - 1, kGridTile);
  covered.tiles.y2 = FloorDiv(rect.y + rect.height - 1, kGridTile);
  covered.offsetX = rect.x - covered.tiles.x1 * kGridTile;
  covered.offsetY = rect.y - covered.tiles.y1 * kGridTile;
  return covered;
}

std::int64_t LevelSize(std::int64_t size, int level) {
  const std::int64_t divisor = std::int64_t{1} << level;
  return (size + divisor - 1) / divisor;
}

int ThumbnailLevel(std::int64_t width, std::int64_t height, std::int64_t max) {
  for (int level = 0; level < kLastLevel; ++level) {
    if (LevelSize(width, level) <= max && LevelSize(height, level) <= max) return level;
  }
  return kLastLevel;
}

std::optional<std::vector<std::int64_t>> ParseIntegerList(const std::string& text, std::size_t count) {
  std::vector<std::int64_t> values;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const auto value = ParseInteger(text.substr(start, comma - std::min(comma, start)), false);
    if (!value || *value < INT32_MIN || *value > INT32_MAX) return std::nullopt;
    values.push_back(*value);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (values.size() != count) return std::nullopt;
  return values;
}

bool RangeIsRenderable(const TileRange& range) {
  if (range.x1 > range.x2 || range.y1 > range.y2) return false;
  if (range.x1 < INT32_MIN || range.y1 < INT32_MIN || range.x2 > INT32_MAX || range.y2 > INT32_MAX) return false;
  const std::int64_t width = range.Width(), height = range.Height();
  return width <= kMaxPicturePixels && height <= kMaxPicturePixels && width * height <= kMaxPicturePixels;
}

}  // namespace zorvel_cli

namespace zorvel_cli {

std::optional<std::vector<std::int32_t>> ChannelArguments(const std::vector<std::int64_t>& redGreenBlue,
                                                          std::optional<std::int64_t> focusPlane) {
  constexpr std::int64_t kMiddlePlaneCode = 1000;
  std::vector<std::int32_t> arguments;
  for (const std::int64_t channel : redGreenBlue) {
    if (!focusPlane) {
      if (channel < INT32_MIN || channel > 0xFFFF) return std::nullopt;
      arguments.push_back(static_cast<std::int32_t>(channel));
      continue;
    }
    const std::int64_t code = kMiddlePlaneCode + *focusPlane;
    if (channel < 0 || channel > 0xFFFF || code < 0 || code > 0x7FFF) return std::nullopt;
    arguments.push_back(static_cast<std::int32_t>((code << 16) | channel));
  }
  return arguments;
}

}  // namespace zorvel_cli

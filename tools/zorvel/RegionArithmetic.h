// Pure arithmetic of the render commands: grid-tile ranges covering a pixel rectangle, level
// sizes, the thumbnail's level, and comma lists of integers. No module calls here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorvel_cli {

inline constexpr std::int64_t kGridTile = 256;  // the module's output grid, in pixels of a level
inline constexpr int kLastLevel = 9;
// Largest picture a command renders (pixels), so a typo cannot ask for terabytes.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 28;

struct TileRange {
  std::int64_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // inclusive grid columns and rows
  std::int64_t Width() const { return (x2 - x1 + 1) * kGridTile; }
  std::int64_t Height() const { return (y2 - y1 + 1) * kGridTile; }
};

struct PixelRect {
  std::int64_t x = 0, y = 0, width = 0, height = 0;
};

// The grid tiles covering `rect` (any origin, positive size) and where the rectangle starts in
// the rendered picture of those tiles.
struct CoveredRect {
  TileRange tiles;
  std::int64_t offsetX = 0, offsetY = 0;
};
CoveredRect TilesCovering(const PixelRect& rect);

// Width or height of level `level` of a slide whose level 0 has `size` pixels (rounded up).
std::int64_t LevelSize(std::int64_t size, int level);

// The first level (0..9) whose size fits within max x max; level 9 when none does.
int ThumbnailLevel(std::int64_t width, std::int64_t height, std::int64_t max);

// "a,b,c" with exactly `count` whole numbers, each within 32-bit signed range.
std::optional<std::vector<std::int64_t>> ParseIntegerList(const std::string& text, std::size_t count);

// A picture of this range stays within kMaxPicturePixels and 32-bit coordinates.
bool RangeIsRenderable(const TileRange& range);

}  // namespace zorvel_cli

namespace zorvel_cli {

// The three channel arguments of a region request: channels as given (low 16 bits), and with a
// focal plane relative to the middle plane the focus code 1000 + plane in the high 16 bits of
// each. Empty when a channel is outside 0..65535 while a plane is given, or the plane is outside
// -1000..31767.
std::optional<std::vector<std::int32_t>> ChannelArguments(const std::vector<std::int64_t>& redGreenBlue,
                                                          std::optional<std::int64_t> focusPlane);

}  // namespace zorvel_cli

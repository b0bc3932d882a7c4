// Channel arguments of a region request resolved into a focus code and a channel range.
#include "Render/ChannelSelection.h"

#include <algorithm>
#include <array>
#include <optional>

namespace Render {
namespace {

constexpr int32_t kLargestChannel = 65535;

// The triple named by the values other than -3 (blue, green, red order), if they agree on one.
std::optional<int32_t> CommonTriple(const std::array<int32_t, 3>& blueGreenRed) {
  std::optional<int32_t> triple;
  for (int32_t index = 0; index < 3; ++index) {
    const int32_t value = blueGreenRed[index];
    if (value == kSameTriple) continue;
    if (value < 0) return std::nullopt;
    const int32_t g = value / 3;
    if ((triple && *triple != g) || value != 3 * g + index) return std::nullopt;
    triple = g;
  }
  return triple;
}

}  // namespace

ChannelChoice ResolveChannels(int32_t red, int32_t green, int32_t blue) {
  ChannelChoice choice;
  if (red > kLargestChannel || green > kLargestChannel || blue > kLargestChannel) {
    choice.hasFocus = true;
    choice.focusCode = (red & green & blue) >> 16;
    red &= 0xFFFF;
    green &= 0xFFFF;
    blue &= 0xFFFF;
  }
  std::array<int32_t, 3> values{blue, green, red};
  if (std::find(values.begin(), values.end(), kSameTriple) != values.end()) {
    const std::optional<int32_t> triple = CommonTriple(values);
    for (int32_t index = 0; index < 3; ++index) {
      if (values[index] == kSameTriple) values[index] = triple ? 3 * *triple + index : kNoChannel;
    }
  }
  choice.blue = values[0];
  choice.green = values[1];
  choice.red = values[2];
  return choice;
}

ChannelRange ChannelsToRead(int32_t blue, uint32_t channelCount, uint32_t samplesPerPixel) {
  ChannelRange range;
  if (blue < 0 || static_cast<uint32_t>(blue) >= channelCount) return range;
  range.first = blue;
  range.last = samplesPerPixel == 1 ? static_cast<int32_t>(std::min<int64_t>(channelCount - 1, int64_t{blue} + 2))
                                    : blue;
  return range;
}

}  // namespace Render

// The channel arguments of a region request: focus code in the high 16 bits, the -3 triple rule,
// -2 for a white picture, and the channel range the tile loader reads. Pure functions.
#pragma once

#include <cstdint>

namespace Render {

inline constexpr int32_t kSameTriple = -3;
inline constexpr int32_t kWhitePicture = -2;
inline constexpr int32_t kNoChannel = -1;

struct ChannelChoice {
  bool hasFocus = false;  // the arguments carried a focus code
  int32_t focusCode = 0;  // (red AND green AND blue) >> 16, arithmetic
  int32_t red = kNoChannel, green = kNoChannel, blue = kNoChannel;
  bool white() const { return red == kWhitePicture || green == kWhitePicture || blue == kWhitePicture; }
};

// Splits off the focus code and replaces each -3 by the member of the triple the others name
// (blue 3g, green 3g + 1, red 3g + 2), or by -1 when they name no single triple.
ChannelChoice ResolveChannels(int32_t red, int32_t green, int32_t blue);

// Channels read for a request: the blue channel and, for one sample per pixel, the next two of the
// slide. A blue channel of -1 or beyond the slide selects none (empty: last < first).
struct ChannelRange {
  int32_t first = 0, last = -1;
  bool empty() const { return last < first; }
  int64_t count() const { return empty() ? 0 : int64_t{last} - first + 1; }
};

ChannelRange ChannelsToRead(int32_t blue, uint32_t channelCount, uint32_t samplesPerPixel);

}  // namespace Render

// Reads the image and tile size (SIZ segment) of a JPEG 2000 codestream, bare or inside a JP2
// file, without OpenJPEG: the decoder sets up every tile and component before it reads any
// data, so a damaged size must be refused before the stream reaches it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace Components {

struct CodestreamSize {
  std::uint32_t width = 0, height = 0;  // image area (reference grid less its offset)
  std::uint64_t tiles = 0;              // tile grid over the image area
  std::uint32_t components = 0;

  // Frames and the images beside a slide are coded in one or a few tiles; thousands of tiles or
  // components (OpenJPEG spends tens of microseconds setting up each pair) come only from damage.
  bool IsPlausible() const { return tiles <= kMaxTileComponents && tiles * components <= kMaxTileComponents; }
  static constexpr std::uint64_t kMaxTileComponents = 4096 * 3;
};

// The SIZ segment's values; nothing when the bytes hold no complete, consistent SIZ segment where
// a codestream or a JP2 file's codestream box begins (OpenJPEG then reports the stream itself).
std::optional<CodestreamSize> ReadCodestreamSize(const std::uint8_t* data, std::size_t size);

}  // namespace Components

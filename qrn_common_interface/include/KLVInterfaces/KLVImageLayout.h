// Image-type codes of decoded frames, the pixel formats of host bitmaps, the rule that gives a line's
// stride, and the sample-order conversion from R, G, B to the B, G, R order every layout uses.
// Pure and header-only: the one copy of these rules for the codec components, the module and hosts.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace KLVImageLayout {

// Codes reported per frame by the codecs and computed by the module from brightfield and bit depth.
enum class ImageType : std::int32_t {
  Grey8 = 0,           // one 8-bit sample
  Colour8 = 1,         // brightfield, 8-bit samples (B, G, R)
  Colour16 = 2,        // brightfield, 16-bit samples
  Grey16 = 3,          // one 16-bit sample
  Fluorescence8 = 4,   // the image's own samples, 8 bits
  Unsupported = 5,
  Fluorescence16 = 6,  // the image's own samples, 16 bits
};

// Pixel formats of host bitmaps: 24-bit and 48-bit B, G, R, 16-bit and 8-bit grey.
inline constexpr std::int32_t kFormat24bppBgr = 0x00021808;
inline constexpr std::int32_t kFormat48bppBgr = 0x0010300C;
inline constexpr std::int32_t kFormat16bppGrey = 0x00101004;
inline constexpr std::int32_t kFormat8bppGrey = 0x00100803;

// 1 or 2 bytes per sample; 0 for Unsupported and unknown codes.
constexpr std::uint32_t BytesPerSample(ImageType type) {
  switch (type) {
    case ImageType::Grey8: case ImageType::Colour8: case ImageType::Fluorescence8: return 1;
    case ImageType::Colour16: case ImageType::Grey16: case ImageType::Fluorescence16: return 2;
    default: return 0;
  }
}

// The host bitmap's pixel format for a code; 0 for Unsupported and unknown codes.
constexpr std::int32_t PixelFormatFor(ImageType type) {
  switch (type) {
    case ImageType::Grey8: return kFormat8bppGrey;
    case ImageType::Colour8: case ImageType::Fluorescence8: return kFormat24bppBgr;
    case ImageType::Colour16: case ImageType::Fluorescence16: return kFormat48bppBgr;
    case ImageType::Grey16: return kFormat16bppGrey;
    default: return 0;
  }
}

// The code of a grey (1 component) or colour (3 components) image of that precision.
constexpr ImageType TypeFor(std::uint32_t components, std::uint32_t bitsPerSample) {
  const bool wide = bitsPerSample > 8;
  if (components == 1) return wide ? ImageType::Grey16 : ImageType::Grey8;
  if (components == 3) return wide ? ImageType::Colour16 : ImageType::Colour8;
  return ImageType::Unsupported;
}

// value rounded up to a multiple of alignment (a power of two).
constexpr std::size_t RoundUp(std::size_t value, std::uint32_t alignment) {
  return (value + alignment - 1) & ~(std::size_t{alignment} - 1);
}

// Bytes from one line to the next for width pixels of `samples` samples, lines padded to alignment
// bytes (a power of two). Grey codes pad the pixel count, then multiply by the sample size; the other
// codes pad samples * bytes per sample * width. 0 for Unsupported, unknown codes or a bad alignment.
constexpr std::size_t StrideFor(ImageType type, std::uint32_t width, std::uint32_t samples, std::uint32_t alignment) {
  const std::uint32_t bytes = BytesPerSample(type);
  if (bytes == 0 || alignment == 0 || !std::has_single_bit(alignment)) return 0;
  if (type == ImageType::Grey8 || type == ImageType::Grey16) return RoundUp(width, alignment) * bytes;
  return RoundUp(std::size_t{samples} * bytes * width, alignment);
}

// Writes one line of width pixels given as packed R, G, B (inComponents 3) or grey (1) samples as
// B, G, R (outSamples 3) or grey (1) samples; grey is widened to three equal samples. Samples are
// converted with static_cast (the same width, or a library sample type into its bits).
template <typename Out, typename In>
void WriteBgrLine(const In* in, std::uint32_t inComponents, Out* out, std::uint32_t outSamples, std::uint32_t width) {
  if (inComponents == 3 && outSamples == 3) {
    for (std::uint32_t x = 0; x < width; ++x, in += 3, out += 3) {
      out[0] = static_cast<Out>(in[2]);
      out[1] = static_cast<Out>(in[1]);
      out[2] = static_cast<Out>(in[0]);
    }
  } else if (inComponents == 1 && outSamples == 3) {
    for (std::uint32_t x = 0; x < width; ++x, out += 3) out[0] = out[1] = out[2] = static_cast<Out>(in[x]);
  } else if (inComponents == 1 && outSamples == 1) {
    for (std::uint32_t x = 0; x < width; ++x) out[x] = static_cast<Out>(in[x]);
  }
}

}  // namespace KLVImageLayout

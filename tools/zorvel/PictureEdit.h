// Cropping a picture and fitting it into a square box by area averaging (thumbnails). Both work
// on any samples per pixel and 8- or 16-bit samples.
#pragma once

#include <cstdint>

#include "PngWriter.h"

namespace zorvel_cli {

// The part of `picture` at (x, y) of width x height pixels; the caller keeps it inside.
DecodedImage Crop(const DecodedImage& picture, std::uint32_t x, std::uint32_t y, std::uint32_t width,
                  std::uint32_t height);

// `picture` shrunk (or kept) to width x height pixels; each output pixel is the mean of the
// source pixels it covers.
DecodedImage ResizeTo(const DecodedImage& picture, std::uint32_t width, std::uint32_t height);

// `picture` itself when it fits within max x max, else shrunk with its aspect kept so that its
// longer side is max; each output pixel is the mean of the source pixels it covers.
DecodedImage FitWithin(DecodedImage picture, std::uint32_t max);

}  // namespace zorvel_cli

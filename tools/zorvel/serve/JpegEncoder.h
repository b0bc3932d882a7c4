// JPEG encoding of 8-bit B, G, R (or grey) pictures with libjpeg-turbo, straight from the
// picture's lines. Free-threaded: each call uses its own compressor.
#pragma once

#include <string>

#include "PngWriter.h"

namespace zorvel_serve {

// The JPEG file bytes, or empty when the picture cannot be encoded (16-bit samples are reduced to
// their high bytes first).
std::string EncodeJpeg(const zorvel_cli::DecodedImage& picture, int quality);

}  // namespace zorvel_serve

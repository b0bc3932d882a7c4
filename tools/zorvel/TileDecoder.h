// Decodes one encoded tile to 8-bit pixels through the codec component a host would use (JPEG or
// JPEG 2000 class by the slide's compression type); uncompressed tiles are taken as they are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ModuleHost.h"
#include "PngWriter.h"

namespace zorvel_cli {

// compressionType: the slide's property 303 text; tileWidth/Height: property 397's halves, used
// for uncompressed tiles only.
CallResult DecodeTile(const std::vector<std::uint8_t>& encoded, const std::string& compressionType,
                      std::uint32_t tileWidth, std::uint32_t tileHeight, DecodedImage& image);

}  // namespace zorvel_cli

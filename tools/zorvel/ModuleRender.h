// Region rendering through the module: GetImage into a host bitmap and the picture read back,
// and the output-depth switch (configuration key 207) a host sets before it.
#pragma once

#include <ZorvelDicom/ZorvelDicom.h>

#include "HostBitmap.h"
#include "RegionArithmetic.h"

namespace zorvel_cli {

struct RegionRequest {
  TileRange tiles;
  int level = 0;
  std::vector<std::int32_t> channels = {2, 1, 0};  // red, green, blue arguments of GetImage
};

// GetImage of the request into `bitmap`.
CallResult RenderInto(IKLVZorvel* slide, const RegionRequest& request, IKLVBitmapImage* bitmap);

// GetImage into a new host bitmap, read back as a picture.
CallResult RenderRegion(IKLVZorvel* slide, const RegionRequest& request, DecodedImage& picture);

// Asks for 48-bit output where the slide has more than 8 bits per sample (key 207).
CallResult SetHighBitDepthOutput(IKLVZorvel* slide, bool on);

}  // namespace zorvel_cli

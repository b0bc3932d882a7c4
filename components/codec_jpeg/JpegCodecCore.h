// JPEG decoding core: 8-bit lossy streams through TurboJPEG, lossless and 12/16-bit streams
// through GDCM's libjpeg builds; colour written B, G, R, grey as one sample. Stateless, free-threaded.
// Failure codes: kInvalidData (not JPEG, corrupt, truncated, 2 or 4+ components), E_INVALIDARG.
#pragma once

#include "codec_common/CodecCore.h"

namespace Components {

class JpegCodecCore final : public CodecCore {
 public:
  HRESULT ReadInfo(const std::uint8_t* data, std::size_t size, ImageInfo& info) const override;
  HRESULT Decode(const std::uint8_t* data, std::size_t size, const ImageInfo& info,
                 const Destination& dest) const override;
};

}  // namespace Components

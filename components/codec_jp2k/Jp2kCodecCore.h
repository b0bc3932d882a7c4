// JPEG 2000 decoding core (OpenJPEG): J2K codestreams and JP2 files, 1 or 3 components of up to
// 16 bits, reversible or irreversible; written as B, G, R or one-sample lines, 16-bit samples for
// precisions above 8. Stateless, free-threaded (one OpenJPEG decoder per call).
// Failure codes: kInvalidData (not JPEG 2000, corrupt, truncated, unsupported layout), E_OUTOFMEMORY.
#pragma once

#include "codec_common/CodecCore.h"

namespace Components {

class Jp2kCodecCore final : public CodecCore {
 public:
  HRESULT ReadInfo(const std::uint8_t* data, std::size_t size, ImageInfo& info) const override;
  HRESULT Decode(const std::uint8_t* data, std::size_t size, const ImageInfo& info,
                 const Destination& dest) const override;
};

}  // namespace Components

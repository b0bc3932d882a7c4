// OpenJPEG component planes (32-bit samples) into B, G, R or grey destination lines.
#include "Jp2kCodecCore.h"

#include <algorithm>

#include "OpenJpegSession.h"

namespace Components {
namespace {

// Only full-resolution 1- or 3-component images of at most 16 bits, all components of one size.
bool IsSupported(const opj_image_t& image) {
  if (image.numcomps != 1 && image.numcomps != 3) return false;
  if (image.x1 <= image.x0 || image.y1 <= image.y0) return false;
  for (OPJ_UINT32 c = 0; c < image.numcomps; ++c) {
    const opj_image_comp_t& comp = image.comps[c];
    if (comp.dx != 1 || comp.dy != 1 || comp.prec < 1 || comp.prec > 16) return false;
    if (comp.w != image.comps[0].w || comp.h != image.comps[0].h) return false;
  }
  return true;
}

std::uint32_t Precision(const opj_image_t& image) {
  OPJ_UINT32 bits = 0;
  for (OPJ_UINT32 c = 0; c < image.numcomps; ++c) bits = std::max(bits, image.comps[c].prec);
  return bits;
}

// A stored sample as an unsigned value of the component's precision (signed ones are offset).
inline std::uint32_t Unsigned(OPJ_INT32 value, const opj_image_comp_t& comp) {
  const std::int64_t max = (std::int64_t{1} << comp.prec) - 1;
  const std::int64_t shifted = comp.sgnd ? std::int64_t{value} + (std::int64_t{1} << (comp.prec - 1)) : value;
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(shifted, 0, max));
}

template <typename Sample>
void WriteLines(const opj_image_t& image, const Destination& dest) {
  // Destination order B, G, R takes components 2, 1, 0; a grey image fills all three with 0.
  const bool grey = image.numcomps == 1;
  const OPJ_UINT32 order[3] = {grey ? 0u : 2u, grey ? 0u : 1u, 0u};
  for (std::uint32_t y = 0; y < dest.height; ++y) {
    auto* out = reinterpret_cast<Sample*>(dest.bytes + y * dest.stride);
    const std::size_t line = std::size_t{y} * image.comps[0].w;
    for (std::uint32_t x = 0; x < dest.width; ++x) {
      for (std::uint32_t s = 0; s < dest.samples; ++s) {
        const opj_image_comp_t& comp = image.comps[dest.samples == 1 ? 0 : order[s]];
        out[x * dest.samples + s] = static_cast<Sample>(Unsigned(comp.data[line + x], comp));
      }
    }
  }
}

}  // namespace

HRESULT Jp2kCodecCore::ReadInfo(const std::uint8_t* data, std::size_t size, ImageInfo& info) const {
  OpenJpegSession session(data, size);
  const HRESULT hr = session.ReadHeader();
  if (FAILED(hr)) return hr;
  const opj_image_t& image = *session.image();
  if (!IsSupported(image)) return kInvalidData;
  const std::uint32_t bits = Precision(image) > 8 ? 16 : 8;
  info = ImageInfo{image.x1 - image.x0, image.y1 - image.y0, image.numcomps, bits, TypeFor(image.numcomps, bits)};
  return S_OK;
}

HRESULT Jp2kCodecCore::Decode(const std::uint8_t* data, std::size_t size, const ImageInfo& info,
                              const Destination& dest) const {
  OpenJpegSession session(data, size);
  HRESULT hr = session.ReadHeader();
  if (SUCCEEDED(hr)) hr = session.DecodeAll();
  if (FAILED(hr)) return hr;
  const opj_image_t& image = *session.image();
  if (!IsSupported(image) || image.numcomps != info.components || image.comps[0].w != dest.width ||
      image.comps[0].h != dest.height) {
    return kInvalidData;
  }
  for (OPJ_UINT32 c = 0; c < image.numcomps; ++c) {
    if (image.comps[c].data == nullptr) return kInvalidData;
  }
  if (dest.bytesPerSample == 2) {
    WriteLines<std::uint16_t>(image, dest);
  } else {
    WriteLines<std::uint8_t>(image, dest);
  }
  return S_OK;
}

}  // namespace Components

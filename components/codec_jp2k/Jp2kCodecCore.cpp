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

// Writes one component into every dest.samples-th sample of the lines, starting at sample `slot`;
// signed components are offset to unsigned, values clamped to the component's precision.
template <typename Sample>
void WriteComponent(const opj_image_comp_t& comp, const Destination& dest, std::uint32_t slot) {
  const std::int64_t offset = comp.sgnd ? std::int64_t{1} << (comp.prec - 1) : 0;
  const std::int64_t max = (std::int64_t{1} << comp.prec) - 1;
  for (std::uint32_t y = 0; y < dest.height; ++y) {
    const OPJ_INT32* in = comp.data + std::size_t{y} * comp.w;
    Sample* out = reinterpret_cast<Sample*>(dest.bytes + y * dest.stride) + slot;
    for (std::uint32_t x = 0; x < dest.width; ++x, out += dest.samples) {
      *out = static_cast<Sample>(std::clamp<std::int64_t>(std::int64_t{in[x]} + offset, 0, max));
    }
  }
}

// Destination order B, G, R takes components 2, 1, 0; a grey image fills every slot from component 0.
template <typename Sample>
void WriteLines(const opj_image_t& image, const Destination& dest) {
  for (std::uint32_t slot = 0; slot < dest.samples; ++slot) {
    const std::uint32_t component = image.numcomps == 1 ? 0 : dest.samples - 1 - slot;
    WriteComponent<Sample>(image.comps[component], dest, slot);
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

// Frame decoding through GDCM's codecs (see FrameDecode.h). The frame is handed to the codec as
// the only fragment of an encapsulated Pixel Data element; colour frames come out as R, G, B.
#include "FrameDecode.h"

#include <gdcmDataElement.h>
#include <gdcmImageChangePhotometricInterpretation.h>
#include <gdcmJPEG2000Codec.h>
#include <gdcmJPEGCodec.h>
#include <gdcmJPEGLSCodec.h>
#include <gdcmPhotometricInterpretation.h>
#include <gdcmPixelFormat.h>
#include <gdcmSequenceOfFragments.h>

#include <cstring>
#include <memory>

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

std::unique_ptr<gdcm::ImageCodec> CodecFor(EWSITransferSyntaxes syntax) {
  if (syntax >= WSI_TS_JPEG_BASELINE && syntax <= WSI_TS_JPEG_LOSSLESS_SV1) return std::make_unique<gdcm::JPEGCodec>();
  if (syntax == WSI_TS_JPEG_LS_LOSSLESS || syntax == WSI_TS_JPEG_LS_NEAR_LOSSLESS) {
    return std::make_unique<gdcm::JPEGLSCodec>();
  }
  if (syntax >= WSI_TS_JPEG2000 && syntax <= WSI_TS_JPEG2000_PART2_LOSSLESS) return std::make_unique<gdcm::JPEG2000Codec>();
  return nullptr;
}

bool Decode(gdcm::ImageCodec& codec, const InstanceInfo& info, const uint8_t* data, uint64_t size,
            gdcm::DataElement& decoded) {
  const gdcm::PhotometricInterpretation photometric =
      gdcm::PhotometricInterpretation::GetPIType(info.photometric.c_str());
  if (photometric == gdcm::PhotometricInterpretation::UNKNOWN) return false;
  // The JPEG codec hands the dimensions to its bit-depth decoder when it is given the pixel format.
  const unsigned int dimensions[3] = {info.columns, info.rows, 1};
  codec.SetNumberOfDimensions(2);
  codec.SetDimensions(dimensions);
  codec.SetPhotometricInterpretation(photometric);
  codec.SetPlanarConfiguration(0);
  codec.SetNeedByteSwap(false);
  codec.SetPixelFormat(gdcm::PixelFormat(info.samplesPerPixel, info.bitsAllocated, info.bitsStored,
                                         static_cast<unsigned short>(info.bitsStored - 1), 0));
  gdcm::SmartPointer<gdcm::SequenceOfFragments> fragments = new gdcm::SequenceOfFragments;
  gdcm::Fragment fragment;
  fragment.SetByteValue(reinterpret_cast<const char*>(data), static_cast<uint32_t>(size));
  fragments->AddFragment(fragment);
  gdcm::DataElement encoded(gdcm::Tag(0x7fe0, 0x0010));
  encoded.SetValue(*fragments);
  encoded.SetVLToUndefined();
  return codec.Decode(encoded, decoded);
}

// GDCM's JPEG decoder leaves colour frames in the stored YCbCr form.
void ConvertYbrToRgb(const gdcm::ImageCodec& codec, const InstanceInfo& info, std::vector<uint8_t>& pixels) {
  const gdcm::PhotometricInterpretation::PIType photometric = codec.GetPhotometricInterpretation();
  const bool ybr = photometric == gdcm::PhotometricInterpretation::YBR_FULL ||
                   photometric == gdcm::PhotometricInterpretation::YBR_FULL_422;
  if (!ybr || info.samplesPerPixel != 3 || info.bitsAllocated != 8) return;
  for (size_t i = 0; i + 2 < pixels.size(); i += 3) {
    const uint8_t ybrPixel[3] = {pixels[i], pixels[i + 1], pixels[i + 2]};
    gdcm::ImageChangePhotometricInterpretation::YBR2RGB<uint8_t>(&pixels[i], ybrPixel, 8);
  }
}

}  // namespace

bool DecodeFrame(const InstanceInfo& info, const uint8_t* data, uint64_t size, std::vector<uint8_t>& pixels) {
  const uint64_t expected =
      uint64_t{info.columns} * info.rows * info.samplesPerPixel * (info.bitsAllocated / 8);
  std::unique_ptr<gdcm::ImageCodec> codec = CodecFor(info.syntax);
  if (!codec || expected == 0 || data == nullptr || size == 0 || size > UINT32_MAX - 1) return false;
  try {
    gdcm::DataElement decoded;
    if (!Decode(*codec, info, data, size, decoded)) return false;
    const gdcm::ByteValue* bytes = decoded.GetByteValue();
    if (bytes == nullptr || bytes->GetLength() < expected) return false;
    pixels.resize(expected);
    std::memcpy(pixels.data(), bytes->GetPointer(), expected);
    ConvertYbrToRgb(*codec, info, pixels);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace dicominterop

// Frame decoding for assembled single images (see FrameDecode.h). The frame's dimensions and
// components are checked against the dataset before a sample is written.
#include "FrameDecode.h"

#include <openjpeg.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

bool DecodeJpeg(const InstanceInfo& info, const uint8_t* data, uint64_t size, std::vector<uint8_t>& pixels) {
  if (info.bitsAllocated != 8 || (info.samplesPerPixel != 1 && info.samplesPerPixel != 3)) return false;
  std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitDecompress(), &tjDestroy);
  int width = 0, height = 0, subsampling = 0, colourspace = 0;
  if (!handle || size > static_cast<uint64_t>(INT32_MAX) ||
      tjDecompressHeader3(handle.get(), data, static_cast<unsigned long>(size), &width, &height, &subsampling,
                          &colourspace) != 0 ||
      width != info.columns || height != info.rows) {
    return false;
  }
  const int format = info.samplesPerPixel == 3 ? TJPF_RGB : TJPF_GRAY;
  return tjDecompress2(handle.get(), data, static_cast<unsigned long>(size), pixels.data(), width, 0, height, format,
                       0) == 0;
}

// OpenJPEG reads the frame from memory through this cursor.
struct MemoryStream {
  const uint8_t* data;
  uint64_t size, position = 0;
};

OPJ_SIZE_T ReadStream(void* buffer, OPJ_SIZE_T bytes, void* user) {
  auto* stream = static_cast<MemoryStream*>(user);
  const uint64_t left = stream->size - stream->position;
  if (left == 0) return static_cast<OPJ_SIZE_T>(-1);
  const uint64_t n = std::min<uint64_t>(bytes, left);
  std::memcpy(buffer, stream->data + stream->position, n);
  stream->position += n;
  return n;
}

OPJ_OFF_T SkipStream(OPJ_OFF_T bytes, void* user) {
  auto* stream = static_cast<MemoryStream*>(user);
  const uint64_t n = bytes < 0 ? 0 : std::min<uint64_t>(static_cast<uint64_t>(bytes), stream->size - stream->position);
  stream->position += n;
  return static_cast<OPJ_OFF_T>(n);
}

OPJ_BOOL SeekStream(OPJ_OFF_T offset, void* user) {
  auto* stream = static_cast<MemoryStream*>(user);
  if (offset < 0 || static_cast<uint64_t>(offset) > stream->size) return OPJ_FALSE;
  stream->position = static_cast<uint64_t>(offset);
  return OPJ_TRUE;
}

// Interleaves the decoded components into native samples of the dataset's width.
bool CopyComponents(const InstanceInfo& info, const opj_image_t& image, std::vector<uint8_t>& pixels) {
  if (image.numcomps != info.samplesPerPixel) return false;
  const uint32_t pixelCount = uint32_t{info.columns} * info.rows;
  for (uint32_t c = 0; c < image.numcomps; ++c) {
    const opj_image_comp_t& comp = image.comps[c];
    if (comp.w != info.columns || comp.h != info.rows || comp.dx != 1 || comp.dy != 1 || comp.data == nullptr) {
      return false;
    }
  }
  const int32_t maxValue = (1 << info.bitsStored) - 1;
  for (uint32_t i = 0; i < pixelCount; ++i) {
    for (uint32_t c = 0; c < image.numcomps; ++c) {
      const int32_t value = std::clamp<int32_t>(image.comps[c].data[i], 0, maxValue);
      const size_t at = (size_t{i} * image.numcomps + c) * (info.bitsAllocated / 8);
      pixels[at] = static_cast<uint8_t>(value);
      if (info.bitsAllocated == 16) pixels[at + 1] = static_cast<uint8_t>(value >> 8);
    }
  }
  return true;
}

bool DecodeJpeg2000(const InstanceInfo& info, const uint8_t* data, uint64_t size, std::vector<uint8_t>& pixels) {
  if ((info.bitsAllocated != 8 && info.bitsAllocated != 16) || info.bitsStored == 0 || info.bitsStored > 16) {
    return false;
  }
  static constexpr uint8_t kJp2Signature[] = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50};
  const bool jp2 = size >= sizeof kJp2Signature && std::memcmp(data, kJp2Signature, sizeof kJp2Signature) == 0;
  std::unique_ptr<opj_codec_t, void (*)(opj_codec_t*)> codec(opj_create_decompress(jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K),
                                                             &opj_destroy_codec);
  std::unique_ptr<opj_stream_t, void (*)(opj_stream_t*)> stream(opj_stream_default_create(OPJ_TRUE), &opj_stream_destroy);
  if (!codec || !stream) return false;
  MemoryStream memory{data, size};
  opj_stream_set_user_data(stream.get(), &memory, nullptr);
  opj_stream_set_user_data_length(stream.get(), size);
  opj_stream_set_read_function(stream.get(), &ReadStream);
  opj_stream_set_skip_function(stream.get(), &SkipStream);
  opj_stream_set_seek_function(stream.get(), &SeekStream);
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  opj_image_t* raw = nullptr;
  if (!opj_setup_decoder(codec.get(), &parameters) || !opj_read_header(stream.get(), codec.get(), &raw)) {
    opj_image_destroy(raw);
    return false;
  }
  std::unique_ptr<opj_image_t, void (*)(opj_image_t*)> image(raw, &opj_image_destroy);
  return opj_decode(codec.get(), stream.get(), image.get()) && opj_end_decompress(codec.get(), stream.get()) &&
         CopyComponents(info, *image, pixels);
}

}  // namespace

bool DecodeFrame(const InstanceInfo& info, const uint8_t* data, uint64_t size, std::vector<uint8_t>& pixels) {
  const uint64_t expected = uint64_t{info.columns} * info.rows * info.samplesPerPixel * (info.bitsAllocated / 8);
  if (expected == 0 || data == nullptr || size == 0) return false;
  try {
    pixels.assign(expected, 0);
    if (info.syntax == WSI_TS_JPEG_BASELINE || info.syntax == WSI_TS_JPEG_EXTENDED) {
      return DecodeJpeg(info, data, size, pixels);
    }
    if (info.syntax >= WSI_TS_JPEG2000 && info.syntax <= WSI_TS_JPEG2000_PART2_LOSSLESS) {
      return DecodeJpeg2000(info, data, size, pixels);
    }
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace dicominterop

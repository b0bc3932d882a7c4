// Test support: a PNG file read back with libpng as packed B, G, R (or grey) samples, 16-bit
// samples little-endian, so that it compares byte for byte with a host bitmap's lines.
#pragma once

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <vector>

namespace cli_test {

struct PngPixels {
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, channels = 0;
  std::vector<unsigned char> bytes;  // empty when the file could not be read
};

inline PngPixels ReadPng(const std::filesystem::path& file) {
  PngPixels result;
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) return result;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, in);
    png_read_png(png, info, PNG_TRANSFORM_BGR | PNG_TRANSFORM_SWAP_ENDIAN, nullptr);
    result.width = png_get_image_width(png, info);
    result.height = png_get_image_height(png, info);
    result.bitDepth = png_get_bit_depth(png, info);
    result.channels = png_get_channels(png, info);
    const png_size_t lineBytes = png_get_rowbytes(png, info);
    png_bytepp rows = png_get_rows(png, info);
    for (png_uint_32 y = 0; y < result.height; ++y) result.bytes.insert(result.bytes.end(), rows[y], rows[y] + lineBytes);
  } else {
    result.bytes.clear();
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(in);
  return result;
}

}  // namespace cli_test

// PNG output through libpng's write interface; B, G, R order and little-endian 16-bit samples are
// turned into PNG's order by libpng's transformations, not by copying.
#include "PngWriter.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

namespace zorvel_cli {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

void OnPngError(png_structp png, png_const_charp message) {
  auto* error = static_cast<std::string*>(png_get_error_ptr(png));
  *error = message;
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Writes the image into an open file; false with `error` set when libpng fails.
bool WriteRows(std::FILE* file, const DecodedImage& image, std::string& error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, OnPngError, OnPngWarning);
  if (png == nullptr) return error = "out of memory", false;
  png_infop info = png_create_info_struct(png);
  volatile bool written = false;
  if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, image.bytesPerSample == 2 ? 16 : 8,
                 image.samplesPerPixel == 1 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    if (image.samplesPerPixel == 3) png_set_bgr(png);
    if (image.bytesPerSample == 2) png_set_swap(png);
    for (std::uint32_t y = 0; y < image.height; ++y) {
      png_write_row(png, image.pixels.data() + y * image.LineBytes());
    }
    png_write_end(png, info);
    written = true;
  } else if (info == nullptr) {
    error = "out of memory";
  }
  png_destroy_write_struct(&png, &info);
  return written;
}

}  // namespace

bool WritePng(const std::filesystem::path& file, const DecodedImage& image, std::string& error) {
  if (image.width == 0 || image.height == 0 || image.pixels.size() < image.LineBytes() * image.height) {
    error = "no picture to write";
    return false;
  }
  std::unique_ptr<std::FILE, FileCloser> out(std::fopen(file.c_str(), "wb"));
  if (!out) {
    error = "cannot create the file";
    return false;
  }
  if (!WriteRows(out.get(), image, error)) return false;
  if (std::fclose(out.release()) != 0) {
    error = "cannot finish the file";
    return false;
  }
  return true;
}

}  // namespace zorvel_cli

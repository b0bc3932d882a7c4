// PNG output through libpng's simplified write interface.
#include "PngWriter.h"

#include <png.h>

namespace zorvel_cli {

bool WritePng(const std::filesystem::path& file, const DecodedImage& image, std::string& error) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = image.width;
  png.height = image.height;
  png.format = image.samplesPerPixel == 1 ? PNG_FORMAT_GRAY : PNG_FORMAT_BGR;
  const png_int_32 stride = static_cast<png_int_32>(image.width * image.samplesPerPixel);
  if (png_image_write_to_file(&png, file.c_str(), 0, image.pixels.data(), stride, nullptr) == 0) {
    error = png.message;
    png_image_free(&png);
    return false;
  }
  return true;
}

}  // namespace zorvel_cli

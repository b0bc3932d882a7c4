// Writes 8-bit grey or B,G,R pixel lines as a PNG file with libpng.
// Returns false with a message when the file cannot be written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zorvel_cli {

struct DecodedImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t samplesPerPixel = 3;  // 3: B, G, R; 1: grey
  std::vector<std::uint8_t> pixels;   // height lines of width * samplesPerPixel bytes
};

bool WritePng(const std::filesystem::path& file, const DecodedImage& image, std::string& error);

}  // namespace zorvel_cli

// Writes pictures of B, G, R pixels (or grey) with 8- or 16-bit samples as PNG files with libpng.
// 16-bit samples are little-endian in memory and written as 16-bit PNG. Returns false with a
// message when the file cannot be written.
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
  std::uint32_t bytesPerSample = 1;   // 1 or 2 (little-endian)
  std::vector<std::uint8_t> pixels;   // height packed lines of LineBytes() bytes

  std::size_t LineBytes() const { return std::size_t{width} * samplesPerPixel * bytesPerSample; }
};

bool WritePng(const std::filesystem::path& file, const DecodedImage& image, std::string& error);

}  // namespace zorvel_cli

// The encoded samples written by tests/components/make_codec_samples.py: samples.txt holds one
// line per sample ("name width height components bits exact"); beside it name.enc (the encoded
// stream), name.ref (Pillow's decode, packed R, G, B or grey) and name.orig (the pixels encoded).
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace codec_samples {

struct Sample {
  std::string name;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t components = 0;
  std::uint32_t bits = 0;
  bool exact = false;
  std::vector<std::uint8_t> encoded;
  std::vector<std::uint8_t> reference;  // Pillow's decode, packed R, G, B / grey
  std::vector<std::uint8_t> original;   // the pixels that were encoded
  // Transfer syntax code of the stream: 3 for the JPEG samples, 10 (JPEG 2000) for the others.
  long transferSyntax() const { return name.rfind("jpeg", 0) == 0 ? 3 : 10; }
};

inline std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<Sample> Load(const std::string& dir) {
  std::ifstream list(dir + "/samples.txt");
  std::vector<Sample> samples;
  std::string line;
  while (std::getline(list, line)) {
    std::istringstream fields(line);
    Sample s;
    int exact = 0;
    if (!(fields >> s.name >> s.width >> s.height >> s.components >> s.bits >> exact)) continue;
    s.exact = exact != 0;
    s.encoded = ReadAll(dir + "/" + s.name + ".enc");
    s.reference = ReadAll(dir + "/" + s.name + ".ref");
    s.original = ReadAll(dir + "/" + s.name + ".orig");
    samples.push_back(std::move(s));
  }
  return samples;
}

}  // namespace codec_samples

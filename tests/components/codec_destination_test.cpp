// Strides per image-type code and the checks of a codec request against the image.
#include <gtest/gtest.h>

#include <vector>

#include "codec_common/CodecDestination.h"

namespace Components {
namespace {

struct StrideCase {
  ImageType type;
  std::uint32_t width;
  std::uint32_t samples;
  std::uint32_t alignment;
  std::size_t stride;
};

TEST(PixelLayoutTest, StridesFollowTheImageTypeRules) {
  const StrideCase cases[] = {
      {ImageType::Grey8, 5, 1, 4, 8},          {ImageType::Colour8, 5, 3, 4, 16},
      {ImageType::Colour16, 5, 3, 4, 32},      {ImageType::Grey16, 5, 1, 4, 16},
      {ImageType::Colour8, 4, 3, 4, 12},       {ImageType::Colour8, 5, 3, 1, 15},
      {ImageType::Grey8, 5, 1, 3, 0},          {ImageType::Grey8, 5, 1, 0, 0},
      {ImageType::Unsupported, 5, 3, 4, 0},    {static_cast<ImageType>(7), 5, 3, 4, 0},
      {ImageType::Fluorescence8, 5, 1, 4, 8},  {ImageType::Fluorescence16, 5, 1, 4, 12},
      {ImageType::Fluorescence16, 5, 3, 4, 32},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StrideFor(c.type, c.width, c.samples, c.alignment), c.stride)
        << "type " << static_cast<int>(c.type) << " width " << c.width << " alignment " << c.alignment;
  }
}

struct PlanCase {
  const char* what;
  ImageInfo image;
  std::int32_t width, height, alignment, type;
  std::size_t size;
  HRESULT expected;
  std::uint32_t samples;  // on success
};

TEST(PixelLayoutTest, PlanChecksTheRequestAgainstTheImage) {
  const ImageInfo rgb{5, 2, 3, 8, ImageType::Colour8};
  const ImageInfo grey{5, 2, 1, 8, ImageType::Grey8};
  const ImageInfo grey16{5, 2, 1, 16, ImageType::Grey16};
  const PlanCase cases[] = {
      {"colour as reported", rgb, 5, 2, 4, 1, 32, S_OK, 3},
      {"grey widened to B, G, R", grey, 5, 2, 4, 1, 32, S_OK, 3},
      {"grey as fluorescence", grey, 5, 2, 4, 4, 16, S_OK, 1},
      {"16-bit grey", grey16, 5, 2, 4, 3, 32, S_OK, 1},
      {"16-bit grey as fluorescence: the module's stride", grey16, 5, 2, 4, 6, 24, S_OK, 1},
      {"buffer one byte short", rgb, 5, 2, 4, 1, 31, E_INVALIDARG, 0},
      {"width not the image's", rgb, 6, 2, 4, 1, 64, E_INVALIDARG, 0},
      {"height not the image's", rgb, 5, 3, 4, 1, 64, E_INVALIDARG, 0},
      {"colour narrowed to grey", rgb, 5, 2, 4, 0, 64, E_INVALIDARG, 0},
      {"8-bit image as 16-bit", rgb, 5, 2, 4, 2, 64, E_INVALIDARG, 0},
      {"16-bit image as 8-bit", grey16, 5, 2, 4, 0, 64, E_INVALIDARG, 0},
      {"type 5", rgb, 5, 2, 4, 5, 64, E_INVALIDARG, 0},
      {"type 7", rgb, 5, 2, 4, 7, 64, E_INVALIDARG, 0},
      {"negative type", rgb, 5, 2, 4, -1, 64, E_INVALIDARG, 0},
      {"alignment 0", rgb, 5, 2, 0, 1, 64, E_INVALIDARG, 0},
      {"alignment 3", rgb, 5, 2, 3, 1, 64, E_INVALIDARG, 0},
  };
  std::vector<std::uint8_t> buffer(64);
  for (const auto& c : cases) {
    Destination dest;
    EXPECT_EQ(PlanDestination(c.image, buffer.data(), c.size, c.width, c.height, c.alignment, c.type, dest),
              c.expected)
        << c.what;
    if (c.expected == S_OK) {
      EXPECT_EQ(dest.samples, c.samples) << c.what;
    }
  }
  Destination dest;
  EXPECT_EQ(PlanDestination(rgb, nullptr, 64, 5, 2, 4, 1, dest), E_POINTER);
}

}  // namespace
}  // namespace Components

// Truncated, corrupted and foreign streams: every truncation and every damaged header fails with
// a code; random byte damage never crashes (the sanitizer build checks the memory accesses).
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "codec_jp2k/CodestreamSize.h"
#include "codec_jp2k/Jp2kCodecCore.h"
#include "codec_jpeg/JpegCodecCore.h"
#include "codec_samples.h"

namespace Components::Testing {
namespace {

HRESULT Decode(const Sample& sample, const std::vector<std::uint8_t>& encoded) {
  std::vector<std::uint8_t> packed;
  return DecodePacked(CoreFor(sample), encoded, sample, packed);
}

TEST(BadStreamTest, EveryTruncationFails) {
  for (const Sample& sample : Samples()) {
    const std::size_t size = sample.encoded.size();
    for (std::size_t keep : {std::size_t{0}, std::size_t{1}, std::size_t{4}, std::size_t{20}, size / 4, size / 2,
                             size * 9 / 10, size - 3}) {
      std::vector<std::uint8_t> cut(sample.encoded.begin(), sample.encoded.begin() + static_cast<long>(keep));
      EXPECT_TRUE(FAILED(Decode(sample, cut))) << sample.name << " cut to " << keep << " of " << size << " bytes";
    }
  }
}

TEST(BadStreamTest, RandomDamageNeverCrashes) {
  std::mt19937 random(20261206);
  for (const Sample& sample : Samples()) {
    for (int round = 0; round < 40; ++round) {
      std::vector<std::uint8_t> damaged = sample.encoded;
      std::uniform_int_distribution<std::size_t> position(0, damaged.size() - 1);
      for (int flips = 0; flips < 1 + round % 4; ++flips) damaged[position(random)] ^= 0xFF;
      const HRESULT hr = Decode(sample, damaged);
      EXPECT_TRUE(hr == S_OK || FAILED(hr)) << sample.name;
    }
  }
}

struct HeaderDamage {
  const char* what;
  std::vector<std::uint8_t> bytes;
  bool jpeg;
};

TEST(BadStreamTest, ForeignAndDamagedHeadersFail) {
  const HeaderDamage cases[] = {
      {"empty", {}, true},
      {"not JPEG", {'P', 'N', 'G', 0, 1, 2, 3, 4}, true},
      {"SOI only", {0xFF, 0xD8}, true},
      {"scan before frame header", {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02}, true},
      {"zero width", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 8, 0, 16, 0, 0, 1, 1, 0x11, 0}, true},
      {"segment longer than stream", {0xFF, 0xD8, 0xFF, 0xE0, 0x40, 0x00, 0, 0}, true},
      {"two components", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0E, 8, 0, 8, 0, 8, 2, 1, 0x11, 0, 2, 0x11, 0}, true},
      {"empty JPEG 2000", {}, false},
      {"codestream marker only", {0xFF, 0x4F, 0xFF, 0x51}, false},
      {"JP2 signature only", {0, 0, 0, 0x0C, 0x6A, 0x50, 0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A}, false},
      {"JPEG given to JPEG 2000", {0xFF, 0xD8, 0xFF, 0xD9}, false},
  };
  const JpegCodecCore jpeg;
  const Jp2kCodecCore jp2k;
  for (const auto& c : cases) {
    const CodecCore& core = c.jpeg ? static_cast<const CodecCore&>(jpeg) : jp2k;
    ImageInfo info;
    EXPECT_TRUE(FAILED(core.ReadInfo(c.bytes.data(), c.bytes.size(), info))) << c.what;
    std::uint8_t out[64];
    EXPECT_TRUE(FAILED(core.DecodeInto(c.bytes.data(), c.bytes.size(), out, sizeof out, 4, 4, 4, 1))) << c.what;
  }
}

void Put32(std::vector<std::uint8_t>::iterator at, std::uint32_t value) {
  for (int i = 3; i >= 0; --i, value >>= 8) at[i] = static_cast<std::uint8_t>(value);
}

// Found by fuzzing: a 300-byte codestream declaring 26,216 tiles kept OpenJPEG's set-up busy for
// seconds. Each JPEG 2000 sample (bare or in a JP2 file) has its size read right, and declared
// again as 65,535 tiles of one pixel it fails before OpenJPEG sees it.
TEST(BadStreamTest, TileGridsBeyondTheLimitFail) {
  static const std::uint8_t kSocSiz[] = {0xFF, 0x4F, 0xFF, 0x51};
  for (const Sample& sample : Samples()) {
    if (sample.transferSyntax() != 10) continue;
    const auto declared = ReadCodestreamSize(sample.encoded.data(), sample.encoded.size());
    ASSERT_TRUE(declared) << sample.name;
    EXPECT_EQ(declared->width, sample.width) << sample.name;
    EXPECT_EQ(declared->height, sample.height) << sample.name;
    EXPECT_EQ(declared->components, sample.components) << sample.name;
    EXPECT_TRUE(declared->IsPlausible()) << sample.name;

    std::vector<std::uint8_t> damaged = sample.encoded;
    const auto soc = std::search(damaged.begin(), damaged.end(), std::begin(kSocSiz), std::end(kSocSiz));
    ASSERT_NE(soc, damaged.end()) << sample.name;
    const std::uint32_t siz[] = {65535, 1, 0, 0, 1, 1, 0, 0};  // image, offset, tile, tile offset
    for (int i = 0; i < 8; ++i) Put32(soc + 8 + 4 * i, siz[i]);
    ImageInfo info;
    EXPECT_EQ(Jp2kCodecCore().ReadInfo(damaged.data(), damaged.size(), info), kInvalidData) << sample.name;
  }
}

TEST(BadStreamTest, NullDataIsAPointerError) {
  std::uint8_t out[16];
  ImageInfo info;
  EXPECT_EQ(JpegCodecCore().ReadInfo(nullptr, 10, info), E_POINTER);
  EXPECT_EQ(JpegCodecCore().DecodeInto(nullptr, 10, out, sizeof out, 1, 1, 4, 1), E_POINTER);
  EXPECT_EQ(Jp2kCodecCore().ReadInfo(nullptr, 10, info), E_POINTER);
  EXPECT_EQ(Jp2kCodecCore().DecodeInto(nullptr, 10, out, sizeof out, 1, 1, 4, 1), E_POINTER);
}

}  // namespace
}  // namespace Components::Testing

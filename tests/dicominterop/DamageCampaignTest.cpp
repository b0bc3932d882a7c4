// Damage campaign: from a few generated slides a seeded generator makes variants (truncation at
// element and item boundaries, byte flips in headers and pixel data, huge, odd and undefined
// lengths, changed offset-table entries). Each must end, within a second, with error codes or
// with tiles equal to the undamaged slide's. ZORVEL_DAMAGE_VARIANTS sets how many run (CI: a
// sample); every eighth variant also runs through the module via zorvel.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>

#include "SlideTestSupport.h"
#include "dataset/ElementReader.h"
#include "dataset/Tags.h"

namespace {

using namespace slidetest;
using namespace DicomInteropDefines;
using dicominterop::ElementHeader;
using dicominterop::ElementReader;
using dicominterop::Encoding;

struct Boundary {
  size_t header;      // first byte of an element or item header
  size_t length;      // its length field
  size_t lengthSize;  // 2 or 4 bytes
};

struct Structure {
  std::vector<Boundary> boundaries;
  size_t pixelData = 0, botValues = 0, botLength = 0;
};

void WalkItems(const ElementReader& r, size_t at, size_t end, Structure& s, int depth);

// Elements of [at, end); descends into sequences. Stops at top-level Pixel Data.
size_t WalkElements(const ElementReader& r, size_t at, size_t end, Structure& s, int depth) {
  while (at < end) {
    ElementHeader h;
    if (!r.ReadHeader(at, end, h)) return at;
    const bool longForm = h.value - at == 12;
    s.boundaries.push_back({at, at + (longForm ? 8 : 6), longForm ? 4u : 2u});
    if (depth == 0 && h.tag == dicominterop::tags::kPixelData) {
      s.pixelData = at;
      return at;
    }
    const size_t next = r.EndOf(h, end);
    if (next == 0) return at;
    if (h.IsVr("SQ")) WalkItems(r, h.value, h.Undefined() ? next - 8 : next, s, depth + 1);
    at = next;
  }
  return at;
}

void WalkItems(const ElementReader& r, size_t at, size_t end, Structure& s, int depth) {
  while (at < end) {
    ElementHeader item;
    if (!r.ReadHeader(at, end, item) || item.tag != dicominterop::tags::kItem) return;
    s.boundaries.push_back({at, at + 4, 4});
    const size_t next = r.EndOf(item, end);
    if (next == 0) return;
    WalkElements(r, item.value, item.Undefined() ? next - 8 : next, s, depth);
    at = next;
  }
}

Structure Locate(const Bytes& file) {
  Structure s;
  const ElementReader r(file, Encoding{});
  const size_t dataset = WalkElements(r, 132, file.size(), s, 1);  // meta group: no Pixel Data
  WalkElements(r, dataset, file.size(), s, 0);
  if (s.pixelData == 0) return s;
  ElementHeader pixel;
  if (!r.ReadHeader(s.pixelData, file.size(), pixel) || !pixel.Undefined()) return s;
  for (size_t at = pixel.value; at + 8 <= file.size();) {
    ElementHeader item;
    if (!r.ReadHeader(at, file.size(), item) || item.tag != dicominterop::tags::kItem) break;
    if (s.botValues == 0) {
      s.botValues = item.value;
      s.botLength = item.length;
    }
    s.boundaries.push_back({at, at + 4, 4});
    at = item.value + item.length;
  }
  return s;
}

enum Kind { kTruncate, kHeaderFlip, kHugeLength, kOddLength, kUndefinedLength, kPixelFlip, kOffsetEntry, kKinds };

void SetLength(Bytes& b, const Boundary& at, uint32_t value) {
  for (size_t i = 0; i < at.lengthSize; ++i) b[at.length + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t LengthOf(const Bytes& b, const Boundary& at) {
  uint32_t v = 0;
  for (size_t i = 0; i < at.lengthSize; ++i) v |= uint32_t{b[at.length + i]} << (8 * i);
  return v;
}

// Applies variant `kind` chosen by `rng`; returns false when it cannot apply to this file.
bool Damage(Bytes& b, const Structure& s, Kind kind, std::mt19937& rng) {
  if (s.boundaries.empty()) return false;
  const Boundary& at = s.boundaries[rng() % s.boundaries.size()];
  switch (kind) {
    case kTruncate: b.resize(at.header + rng() % 12); return true;
    case kHeaderFlip: b[at.header + rng() % (at.length + at.lengthSize - at.header)] ^= static_cast<uint8_t>(1 + rng() % 255); return true;
    case kHugeLength: SetLength(b, at, at.lengthSize == 2 ? 0xfffe : 0xfffffff0u); return true;
    case kOddLength: SetLength(b, at, LengthOf(b, at) + 1); return true;
    case kUndefinedLength: SetLength(b, at, at.lengthSize == 2 ? 0xffff : 0xffffffffu); return true;
    case kPixelFlip:
      if (s.pixelData == 0) return false;
      b[s.pixelData + rng() % (b.size() - s.pixelData)] ^= static_cast<uint8_t>(1 + rng() % 255);
      return true;
    case kOffsetEntry: {
      if (s.botLength < 8) return false;
      const size_t entry = s.botValues + 4 * (1 + rng() % (s.botLength / 4 - 1));
      const uint32_t delta = rng() % 2 ? 1u : static_cast<uint32_t>(rng());
      for (size_t i = 0; i < 4; ++i) b[entry + i] = static_cast<uint8_t>(b[entry + i] + (delta >> (8 * i)));
      return true;
    }
    default: return false;
  }
}

struct Base {
  const char* name;
  const char* options;
};

const Base kBases[] = {
    {"bad_base_jpeg", "--width 512 --height 512 --levels 0 --seed 5"},
    {"bad_base_eot", "--width 512 --height 512 --levels 0 --offset-table extended --seed 5"},
    {"bad_base_native", "--width 512 --height 512 --levels 0 --syntax explicit --seed 5"},
    {"campaign_morton", "--width 768 --height 512 --levels 0 --frame-order morton --offset-table empty --seed 6"},
};

// Every tile of level 0 (empty when the slide or level does not open).
std::vector<TileRead> ReadAll(const std::string& dir) {
  std::vector<TileRead> tiles;
  long count = 0, result = 0;
  auto source = OpenSource(dir, &count, &result);
  if (count < 1) return tiles;
  CWSIZoomImage level;
  if (level.OpenZoomLevel(source.get(), false, 0, true) != WSI_OK) return tiles;
  const uint32_t across = (level.GetTotalPixelMatrixColumns() + level.GetColumns() - 1) / level.GetColumns();
  const uint32_t down = (level.GetTotalPixelMatrixRows() + level.GetRows() - 1) / level.GetRows();
  for (uint32_t y = 0; y < down && y < 64; ++y) {
    for (uint32_t x = 0; x < across && x < 64; ++x) tiles.push_back(ReadTile(level, 0, x, y, 0));
  }
  return tiles;
}

int VariantCount() {
  const char* text = std::getenv("ZORVEL_DAMAGE_VARIANTS");
  return text ? std::atoi(text) : 56;
}

TEST(DamageCampaign, EveryVariantEndsWithCodesOrTheRightTilesQuickly) {
  std::vector<Bytes> files;
  std::vector<Structure> structures;
  std::vector<std::vector<TileRead>> originals;
  for (const Base& base : kBases) {
    const std::string dir = GeneratedSlide(base.name, base.options);
    ASSERT_FALSE(dir.empty()) << base.options;
    files.push_back(ReadBytes(dir + "/level0_z0_p1.dcm"));
    structures.push_back(Locate(files.back()));
    ASSERT_FALSE(structures.back().boundaries.empty()) << base.name;
    originals.push_back(ReadAll(dir));
    ASSERT_FALSE(originals.back().empty()) << base.name;
  }
  const std::string dir = ScratchDir("damage_campaign");
  for (int v = 0; v < VariantCount(); ++v) {
    std::mt19937 rng(static_cast<uint32_t>(v) * 2654435761u);
    const size_t b = v % files.size();
    const Kind kind = static_cast<Kind>((v / files.size()) % kKinds);
    Bytes damaged = files[b];
    if (!Damage(damaged, structures[b], kind, rng)) continue;
    WriteBytes(dir + "/slide.dcm", damaged);
    SCOPED_TRACE("variant " + std::to_string(v) + " base " + kBases[b].name + " kind " + std::to_string(kind));
    const auto start = std::chrono::steady_clock::now();
    const std::vector<TileRead> tiles = ReadAll(dir);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 1.0);
    for (size_t t = 0; t < tiles.size(); ++t) {
      if (tiles[t].result != WSI_OK) {
        EXPECT_LT(tiles[t].result, 0);
        EXPECT_TRUE(tiles[t].nullData);
      } else if (kind != kPixelFlip && t < originals[b].size()) {
        EXPECT_EQ(tiles[t].bytes, originals[b][t].bytes) << "tile " << t;
      }
    }
    if (v % 8 == 0) {
      int status = 0;
      slidetest::Run(std::string(ZORVEL_CLI) + " info '" + dir + "' >/dev/null 2>&1", &status);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << "zorvel status " << status;
    }
  }
}

}  // namespace

// Bounds-checked element walk of a Part 10 file (see StructureWalk.h). Little and big endian,
// explicit and implicit VR; undefined lengths are followed through items and delimiters.
#include "StructureWalk.h"

#include <cstring>

#include "../frames/PixelFile.h"
#include "DicomInteropDefines.h"

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

constexpr uint32_t kUndefined = 0xffffffffu;
constexpr int kMaxDepth = 32;

struct Header {
  uint16_t group = 0, element = 0;
  char vr[2] = {};
  uint32_t length = 0;
  uint32_t size = 0;  // bytes of the header itself
};

class Walker {
 public:
  Walker(const PixelFile& file, bool explicitVr, bool bigEndian)
      : m_file(file), m_explicit(explicitVr), m_big(bigEndian) {}

  // Reads the element header at `at`; false when it does not fit in the file.
  bool ReadHeader(uint64_t at, bool forceExplicit, bool forceLittle, Header& h) const {
    uint8_t b[12];
    const bool little = forceLittle || !m_big;
    if (m_file.ReadAt(at, 8, b) != WSI_OK) return false;
    h.group = U16(b, little);
    h.element = U16(b + 2, little);
    const bool item = h.group == 0xfffe;
    if (item || !(forceExplicit || m_explicit)) {
      h.length = U32(b + 4, little);
      h.size = 8;
      return true;
    }
    std::memcpy(h.vr, b + 4, 2);
    if (LongForm(h.vr)) {
      if (m_file.ReadAt(at + 8, 4, b + 8) != WSI_OK) return false;
      h.length = U32(b + 8, little);
      h.size = 12;
    } else {
      h.length = U16(b + 6, little);
      h.size = 8;
    }
    return true;
  }

  // Skips the value of an element whose header ends at `at`; returns the next offset or 0.
  uint64_t SkipValue(uint64_t at, const Header& h, int depth) const {
    if (h.length != kUndefined) return at + h.length <= m_file.Size() ? at + h.length : 0;
    if (depth >= kMaxDepth) return 0;
    return SkipItems(at, depth + 1);
  }

  // Items of an undefined-length sequence, up to and including its delimiter.
  uint64_t SkipItems(uint64_t at, int depth) const {
    while (true) {
      Header h;
      if (!ReadHeader(at, false, false, h) || h.group != 0xfffe) return 0;
      at += h.size;
      if (h.element == 0xe0dd) return at;
      if (h.element != 0xe000) return 0;
      at = h.length == kUndefined ? SkipDataset(at, depth + 1, true) : SkipValue(at, h, depth);
      if (at == 0 || depth >= kMaxDepth) return 0;
    }
  }

  // Elements of a nested dataset up to its item delimiter (or the top level up to Pixel Data).
  // At the top level the value range of the Per-Frame Functional Groups Sequence is noted.
  uint64_t SkipDataset(uint64_t at, int depth, bool nested, FileStructure* top = nullptr) const {
    while (depth < kMaxDepth) {
      if (!nested && at == m_file.Size()) return at;
      Header h;
      if (!ReadHeader(at, false, false, h)) return 0;
      if (nested && h.group == 0xfffe && h.element == 0xe00d) return at + h.size;
      if (!nested && h.group == 0x7fe0 && h.element == 0x0010) return at;
      const uint64_t value = at + h.size;
      at = SkipValue(value, h, depth);
      if (at == 0) return 0;
      if (top && h.group == 0x5200 && h.element == 0x9230) {
        top->perFrameBegin = value;
        top->perFrameEnd = at;
      }
    }
    return 0;
  }

 private:
  static bool LongForm(const char vr[2]) {
    static const char* kLong[] = {"OB", "OD", "OF", "OL", "OV", "OW", "SQ", "SV", "UC", "UN", "UR", "UT", "UV"};
    for (const char* v : kLong) {
      if (vr[0] == v[0] && vr[1] == v[1]) return true;
    }
    return false;
  }
  static uint16_t U16(const uint8_t* p, bool little) {
    return little ? static_cast<uint16_t>(p[0] | p[1] << 8) : static_cast<uint16_t>(p[0] << 8 | p[1]);
  }
  static uint32_t U32(const uint8_t* p, bool little) {
    return little ? (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0])
                  : (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]);
  }

  const PixelFile& m_file;
  bool m_explicit, m_big;
};

// File meta group (always explicit VR little endian); returns the dataset start or 0.
uint64_t WalkMetaGroup(const PixelFile& file, std::string& syntax) {
  Walker meta(file, true, false);
  uint64_t at = 132;
  while (true) {
    Header h;
    if (!meta.ReadHeader(at, true, true, h)) return 0;
    if (h.group != 0x0002) return at;
    if (h.length == kUndefined || at + h.size + h.length > file.Size() || h.length > 4096) return 0;
    if (h.element == 0x0010) {
      syntax.resize(h.length);
      if (file.ReadAt(at + h.size, h.length, syntax.data()) != WSI_OK) return 0;
      while (!syntax.empty() && (syntax.back() == '\0' || syntax.back() == ' ')) syntax.pop_back();
    }
    at += h.size + h.length;
  }
}

}  // namespace

long WalkStructure(const std::string& path, FileStructure& structure) {
  PixelFile file(path);
  if (!file.IsOpen()) return WSI_E_IO;
  char marker[4];
  if (file.ReadAt(128, 4, marker) != WSI_OK || std::memcmp(marker, "DICM", 4) != 0) return WSI_E_MALFORMED;
  const uint64_t start = WalkMetaGroup(file, structure.transferSyntaxUid);
  if (start == 0 || structure.transferSyntaxUid.empty()) return WSI_E_MALFORMED;
  if (structure.transferSyntaxUid == "1.2.840.10008.1.2.1.99") return WSI_E_UNSUPPORTED;  // deflated
  const bool implicitVr = structure.transferSyntaxUid == "1.2.840.10008.1.2";
  const bool bigEndian = structure.transferSyntaxUid == "1.2.840.10008.1.2.2";
  const Walker walker(file, !implicitVr, bigEndian);
  structure.implicitVr = implicitVr;
  structure.bigEndian = bigEndian;
  const uint64_t end = walker.SkipDataset(start, 0, false, &structure);
  if (end == 0) return WSI_E_MALFORMED;
  structure.hasPixelData = end < file.Size();
  structure.pixelDataOffset = structure.hasPixelData ? end : 0;
  return WSI_OK;
}

}  // namespace dicominterop

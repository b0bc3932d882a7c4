// Per-Frame Functional Groups plane positions walked in memory (see PerFrameGroups.h):
// Plane Position (Slide) (0048,021A) -> column (0048,021E) SL, row (0048,021F) SL, Z (0040,074A) DS;
// Optical Path Identification (0048,0207) -> Optical Path Identifier (0048,0106).
#include "PerFrameGroups.h"

#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "../frames/PixelFile.h"
#include "Decimal.h"

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

constexpr uint32_t kUndefined = 0xffffffffu;
constexpr uint64_t kMaxSequenceBytes = uint64_t{1} << 30;

struct Element {
  uint32_t tag = 0;           // group << 16 | element
  size_t value = 0, end = 0;  // value bytes [value, end) of a defined length; end = next element
  bool undefined = false;
};

class MemoryWalker {
 public:
  MemoryWalker(const std::vector<uint8_t>& bytes, bool explicitVr, bool little)
      : m_b(bytes), m_explicit(explicitVr), m_little(little) {}

  // Element header at `at`; for undefined lengths `end` is found by skipping the items.
  bool Read(size_t at, Element& e, int depth = 0) const {
    if (at + 8 > m_b.size() || depth > 16) return false;
    e.tag = uint32_t{U16(at)} << 16 | U16(at + 2);
    uint32_t length;
    size_t header = 8;
    if ((e.tag >> 16) == 0xfffe || !m_explicit) {
      length = U32(at + 4);
    } else if (LongForm(m_b[at + 4], m_b[at + 5])) {
      if (at + 12 > m_b.size()) return false;
      length = U32(at + 8);
      header = 12;
    } else {
      length = U16(at + 6);
    }
    e.value = at + header;
    e.undefined = length == kUndefined;
    if (!e.undefined) {
      e.end = e.value + length;
      return e.end <= m_b.size();
    }
    e.end = SkipUndefined(e.value, depth + 1);
    return e.end != 0;
  }

  double Signed32(size_t at) const { return static_cast<int32_t>(U32(at)); }
  std::string Text(size_t at, size_t end) const {
    std::string s(reinterpret_cast<const char*>(&m_b[at]), end - at);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
  }

 private:
  // Items or elements up to the matching delimiter; returns the offset after it, or 0.
  size_t SkipUndefined(size_t at, int depth) const {
    while (true) {
      Element e;
      if (!Read(at, e, depth)) return 0;
      if (e.tag == 0xfffee0dd || e.tag == 0xfffee00d) return e.value;
      at = e.end;
    }
  }
  static bool LongForm(uint8_t a, uint8_t b) {
    static const char* kLong[] = {"OB", "OD", "OF", "OL", "OV", "OW", "SQ", "SV", "UC", "UN", "UR", "UT", "UV"};
    for (const char* v : kLong) {
      if (a == v[0] && b == v[1]) return true;
    }
    return false;
  }
  uint16_t U16(size_t at) const {
    return m_little ? static_cast<uint16_t>(m_b[at] | m_b[at + 1] << 8) : static_cast<uint16_t>(m_b[at] << 8 | m_b[at + 1]);
  }
  uint32_t U32(size_t at) const {
    return m_little ? (uint32_t{m_b[at + 3]} << 24 | uint32_t{m_b[at + 2]} << 16 | uint32_t{m_b[at + 1]} << 8 | m_b[at])
                    : (uint32_t{m_b[at]} << 24 | uint32_t{m_b[at + 1]} << 16 | uint32_t{m_b[at + 2]} << 8 | m_b[at + 3]);
  }

  const std::vector<uint8_t>& m_b;
  bool m_explicit, m_little;
};

// Calls `visit` for each element of the first item of the sequence element `seq`.
template <class Visit>
bool ForFirstItem(const MemoryWalker& w, const Element& seq, Visit&& visit) {
  Element item;
  if (!w.Read(seq.value, item) || item.tag != 0xfffee000) return false;
  const size_t limit = item.undefined ? item.end - 8 : item.end;
  for (size_t at = item.value; at < limit;) {
    Element e;
    if (!w.Read(at, e)) return false;
    visit(e);
    at = e.end;
  }
  return true;
}

bool ReadFrame(const MemoryWalker& w, size_t begin, size_t end, FramePosition& frame, std::string& pathId) {
  for (size_t at = begin; at < end;) {
    Element e;
    if (!w.Read(at, e)) return false;
    if (e.tag == 0x0048021a) {
      ForFirstItem(w, e, [&](const Element& v) {
        if (v.tag == 0x0048021e && v.end - v.value >= 4) frame.column = static_cast<int64_t>(w.Signed32(v.value));
        if (v.tag == 0x0048021f && v.end - v.value >= 4) frame.row = static_cast<int64_t>(w.Signed32(v.value));
        if (v.tag == 0x0040074a) {  // DS
          if (auto z = attr::ParseDecimal(w.Text(v.value, v.end))) frame.z = *z;
        }
      });
    } else if (e.tag == 0x00480207) {
      ForFirstItem(w, e, [&](const Element& v) {
        if (v.tag == 0x00480106) pathId = w.Text(v.value, v.end);
      });
    }
    at = e.end;
  }
  return true;
}

int32_t PathIndex(const InstanceInfo& info, std::unordered_map<std::string, int32_t>& cache, const std::string& id) {
  auto [it, added] = cache.emplace(id, 0);
  if (added) {
    for (size_t i = 0; i < info.opticalPaths.size(); ++i) {
      if (info.opticalPaths[i].identifier == id) it->second = static_cast<int32_t>(i);
    }
  }
  return it->second;
}

}  // namespace

long ReadPerFramePositions(const FileStructure& structure, InstanceInfo& info) {
  const uint64_t length = structure.perFrameEnd - structure.perFrameBegin;
  if (structure.perFrameEnd <= structure.perFrameBegin) return WSI_OK;
  if (length > kMaxSequenceBytes) return WSI_E_UNSUPPORTED;
  std::vector<uint8_t> bytes(length);
  if (PixelFile(info.path).ReadAt(structure.perFrameBegin, length, bytes.data()) != WSI_OK) return WSI_E_IO;
  const MemoryWalker w(bytes, !structure.implicitVr, !structure.bigEndian);
  std::unordered_map<std::string, int32_t> paths;
  const double defaultZ = std::isnan(info.originZ) ? 0.0 : info.originZ;
  for (size_t at = 0; at < bytes.size();) {
    Element item;
    if (!w.Read(at, item)) return WSI_E_MALFORMED;
    if (item.tag == 0xfffee0dd) break;
    if (item.tag != 0xfffee000) return WSI_E_MALFORMED;
    FramePosition frame;
    frame.z = defaultZ;
    std::string pathId;
    if (!ReadFrame(w, item.value, item.undefined ? item.end - 8 : item.end, frame, pathId)) return WSI_E_MALFORMED;
    if (!pathId.empty()) frame.pathIndex = PathIndex(info, paths, pathId);
    info.framePositions.push_back(frame);
    at = item.end;
  }
  return WSI_OK;
}

}  // namespace dicominterop

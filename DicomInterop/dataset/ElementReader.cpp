// Bounds-checked element and item headers (see ElementReader.h). Every step of a walk
// advances by at least one 8-byte header and nesting is limited, so no walk can loop.
#include "ElementReader.h"

#include <algorithm>
#include <array>

#include "Tags.h"

namespace dicominterop {
namespace {

struct VrInfo {
  char name[3];
  bool longForm;
  uint8_t binarySize;
};

constexpr std::array<VrInfo, 34> kVrs{{
    {"AE", false, 0}, {"AS", false, 0}, {"AT", false, 2}, {"CS", false, 0}, {"DA", false, 0}, {"DS", false, 0},
    {"DT", false, 0}, {"FD", false, 8}, {"FL", false, 4}, {"IS", false, 0}, {"LO", false, 0}, {"LT", false, 0},
    {"OB", true, 0},  {"OD", true, 8},  {"OF", true, 4},  {"OL", true, 4},  {"OV", true, 8},  {"OW", true, 2},
    {"PN", false, 0}, {"SH", false, 0}, {"SL", false, 4}, {"SQ", true, 0},  {"SS", false, 2}, {"ST", false, 0},
    {"SV", true, 8},  {"TM", false, 0}, {"UC", true, 0},  {"UI", false, 0}, {"UL", false, 4}, {"UN", true, 0},
    {"UR", true, 0},  {"US", false, 2}, {"UT", true, 0},  {"UV", true, 8},
}};

const VrInfo* Find(char first, char second) {
  for (const VrInfo& v : kVrs) {
    if (v.name[0] == first && v.name[1] == second) return &v;
  }
  return nullptr;
}

}  // namespace

bool IsLongVr(char first, char second) {
  const VrInfo* v = Find(first, second);
  return v && v->longForm;
}

bool IsKnownVr(char first, char second) { return Find(first, second) != nullptr; }

size_t BinaryValueSize(char first, char second) {
  const VrInfo* v = Find(first, second);
  return v ? v->binarySize : 0;
}

uint16_t ElementReader::U16(size_t at) const {
  const uint8_t* p = &m_bytes[at];
  return m_encoding.littleEndian ? static_cast<uint16_t>(p[0] | p[1] << 8) : static_cast<uint16_t>(p[0] << 8 | p[1]);
}

uint32_t ElementReader::U32(size_t at) const {
  const uint8_t* p = &m_bytes[at];
  return m_encoding.littleEndian ? (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0])
                                 : (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]);
}

bool ElementReader::Fits(size_t at, size_t count, size_t limit) const {
  if (at <= limit && count <= limit - at) return true;
  if (limit >= m_bytes.size()) m_wanted = std::max(m_wanted, at + count);
  return false;
}

bool ElementReader::ReadHeader(size_t at, size_t limit, ElementHeader& h, bool headerOnly) const {
  limit = std::min(limit, m_bytes.size());
  if (!Fits(at, 8, limit)) return false;
  h.tag = uint32_t{U16(at)} << 16 | U16(at + 2);
  h.vr[0] = h.vr[1] = 0;
  if (GroupOf(h.tag) == 0xfffe || !m_encoding.explicitVr) {
    h.length = U32(at + 4);
    h.value = at + 8;
  } else {
    h.vr[0] = static_cast<char>(m_bytes[at + 4]);
    h.vr[1] = static_cast<char>(m_bytes[at + 5]);
    const VrInfo* vr = Find(h.vr[0], h.vr[1]);
    if (!vr) return false;
    if (vr->longForm) {
      if (!Fits(at, 12, limit)) return false;
      h.length = U32(at + 8);
      h.value = at + 12;
    } else {
      h.length = U16(at + 6);
      h.value = at + 8;
    }
  }
  return headerOnly || h.Undefined() || Fits(h.value, h.length, limit);
}

size_t ElementReader::EndOf(const ElementHeader& h, size_t limit, int depth) const {
  if (!h.Undefined()) return h.value + h.length;
  if (depth >= kMaxNesting) return 0;
  limit = std::min(limit, m_bytes.size());
  if (h.IsVr("UN")) {  // an undefined-length UN is a sequence encoded in implicit VR little endian
    const ElementReader implicit(m_bytes, Encoding{false, true});
    const size_t end = implicit.SkipUndefined(h.value, limit, depth + 1, true);
    m_wanted = std::max(m_wanted, implicit.m_wanted);
    return end;
  }
  return SkipUndefined(h.value, limit, depth + 1, h.tag != tags::kItem);
}

size_t ElementReader::SkipUndefined(size_t at, size_t limit, int depth, bool itemsOnly) const {
  while (true) {
    ElementHeader h;
    if (!ReadHeader(at, limit, h)) return 0;
    if (itemsOnly) {
      if (h.tag == kSequenceDelimiterTag) return h.value;
      if (h.tag != tags::kItem) return 0;
    } else if (h.tag == kItemDelimiterTag) {
      return h.value;
    } else if (GroupOf(h.tag) == 0xfffe) {
      return 0;
    }
    at = EndOf(h, limit, depth);
    if (at == 0) return 0;
  }
}

}  // namespace dicominterop

// The one reader of DICOM element and item headers in the slide library: bounds-checked,
// explicit or implicit VR, little or big endian, over bytes held in memory. The dataset parse,
// the per-frame groups walk and the fragment walk all read headers through it.
// A header or value that does not fit in the given limit is refused, never read past.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace dicominterop {

inline constexpr uint32_t kUndefinedLength = 0xffffffffu;
inline constexpr int kMaxNesting = 16;  // sequences within sequences; deeper files are refused

struct Encoding {
  bool explicitVr = true;
  bool littleEndian = true;
};

struct ElementHeader {
  uint32_t tag = 0;
  char vr[2] = {};       // zeros for items, delimiters and implicit VR
  uint32_t length = 0;
  size_t value = 0;      // offset of the first value byte
  bool Undefined() const { return length == kUndefinedLength; }
  bool IsVr(const char* name) const { return vr[0] == name[0] && vr[1] == name[1]; }
};

// VRs whose explicit header holds a 32-bit length after two reserved bytes.
bool IsLongVr(char first, char second);
// One of the VRs the standard defines.
bool IsKnownVr(char first, char second);
// Bytes per binary value of a VR whose values are numbers (US: 2, FD: 8 ...); 0 for text and SQ.
size_t BinaryValueSize(char first, char second);

class ElementReader {
 public:
  ElementReader(std::span<const uint8_t> bytes, Encoding encoding) : m_bytes(bytes), m_encoding(encoding) {}

  // Header at `at`; false when the header does not fit before `limit`, an explicit VR is
  // unknown, or (unless `headerOnly`, for values read elsewhere) a defined length runs past `limit`.
  bool ReadHeader(size_t at, size_t limit, ElementHeader& h, bool headerOnly = false) const;
  // Offset after the element: past its value, or for an undefined length past the delimiter
  // that closes it. 0 when it does not close before `limit` or nests deeper than kMaxNesting.
  size_t EndOf(const ElementHeader& h, size_t limit, int depth = 0) const;

  // Calls visit(header) for each element of [begin, limit) until the limit or, with
  // `untilDelimiter`, an item delimiter. Returns the offset after the last element (after the
  // delimiter), or 0 on a malformed element or when `visit` returns false.
  template <class Visit>
  size_t ForEach(size_t begin, size_t limit, bool untilDelimiter, Visit&& visit, int depth = 0) const {
    size_t at = begin;
    while (at < limit) {
      ElementHeader h;
      if (!ReadHeader(at, limit, h)) return 0;
      if (h.tag == kItemDelimiterTag && untilDelimiter) return h.value;
      const size_t end = EndOf(h, limit, depth);
      if (end == 0 || !visit(h, end)) return 0;
      at = end;
    }
    return untilDelimiter ? 0 : at;
  }

  uint16_t U16(size_t at) const;
  uint32_t U32(size_t at) const;
  std::span<const uint8_t> Bytes() const { return m_bytes; }
  Encoding GetEncoding() const { return m_encoding; }

  // Furthest offset a refused read needed beyond the end of the bytes (0: none): tells a
  // caller holding only the start of a file how much more to read.
  size_t Wanted() const { return m_wanted; }

 private:
  static constexpr uint32_t kItemDelimiterTag = 0xfffee00d;
  static constexpr uint32_t kSequenceDelimiterTag = 0xfffee0dd;
  bool Fits(size_t at, size_t count, size_t limit) const;
  size_t SkipUndefined(size_t at, size_t limit, int depth, bool itemsOnly) const;

  std::span<const uint8_t> m_bytes;
  Encoding m_encoding;
  mutable size_t m_wanted = 0;
};

}  // namespace dicominterop

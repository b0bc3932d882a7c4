// Part 10 file -> ParsedFile (see FileParser.h). The file's start is read in one block; when the
// structure runs past it, the block grows (to what the reader reports wanted, at least doubled)
// and the parse starts again, so a header is read with a few large reads, not one per element.
#include "FileParser.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "DicomInteropDefines.h"
#include "PixelFile.h"
#include "Tags.h"
#include "VrDictionary.h"

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

constexpr size_t kPreambleAndMarker = 132;
constexpr size_t kFirstRead = size_t{256} << 10;
constexpr size_t kReadMargin = size_t{64} << 10;
constexpr size_t kMaxHeaderBytes = size_t{1} << 30;
constexpr const char* kDeflatedSyntax = "1.2.840.10008.1.2.1.99";

class Parser {
 public:
  Parser(std::vector<uint8_t>& bytes, Encoding encoding)
      : m_bytes(bytes), m_reader(std::span<const uint8_t>(bytes), encoding), m_encoding(encoding) {}

  const ElementReader& Reader() const { return m_reader; }

  // Elements from `at` up to `limit`, or with `untilDelimiter` up to the item delimiter.
  // With `pixelData` (the top level) the walk stops at Pixel Data and notes its offset.
  // Returns the offset after the elements (after the delimiter), or 0 when malformed.
  size_t Elements(size_t at, size_t limit, int depth, bool untilDelimiter, Dataset& out, size_t* pixelData = nullptr) {
    while (untilDelimiter || at < limit) {
      if (pixelData && at + 4 <= limit && TagAt(at) == tags::kPixelData) {
        *pixelData = at;  // its header and value are the frame index's to read
        return at;
      }
      ElementHeader h;
      if (!m_reader.ReadHeader(at, limit, h)) return 0;
      if (untilDelimiter && h.tag == tags::kItemDelimiter) return h.value;
      if (GroupOf(h.tag) == 0xfffe) return 0;
      const size_t end = Element(h, limit, depth, pixelData != nullptr, out);
      if (end == 0) return 0;
      at = end;
    }
    return at == limit ? at : 0;
  }

 private:
  uint32_t TagAt(size_t at) const { return uint32_t{m_reader.U16(at)} << 16 | m_reader.U16(at + 2); }

  size_t Element(const ElementHeader& h, size_t limit, int depth, bool top, Dataset& out) {
    DataElement& e = out.elements.emplace_back();
    e.tag = h.tag;
    const std::string_view vr = m_encoding.explicitVr ? std::string_view(h.vr, 2) : ImplicitVrOf(h.tag);
    e.vr[0] = vr[0];
    e.vr[1] = vr[1];
    size_t end = 0;
    if (top && h.tag == tags::kPerFrameFunctionalGroups) {
      end = m_reader.EndOf(h, limit, depth);  // checked here, walked later by PerFrameGroups
    } else if (IsSequence(h)) {
      e.sequence = true;
      end = Items(h, limit, depth + 1, e.items);
      if (end == 0 && !h.Undefined() && vr == "UN") {
        // An unknown element only taken for a sequence by its first bytes: opaque bytes after all.
        e.sequence = false;
        e.items.clear();
        end = h.value + h.length;
      }
    } else if (!h.Undefined()) {
      end = h.value + h.length;
      SwapToLittleEndian(h);
    } else if (h.IsVr("UN") || h.tag == tags::kPixelData) {
      end = m_reader.EndOf(h, limit, depth);  // a nested encapsulated image or unknown sequence: kept whole
    }
    if (end == 0) return 0;
    e.value = std::span<const uint8_t>(m_bytes.data() + h.value, (h.Undefined() ? end : h.value + h.length) - h.value);
    return end;
  }

  // Implicit VR: an undefined length is only allowed for sequences (Pixel Data stops the walk
  // before); a known attribute is one by its VR; an unknown one by starting with an item.
  bool IsSequence(const ElementHeader& h) const {
    if (m_encoding.explicitVr) return h.IsVr("SQ");
    if (h.Undefined()) return true;
    if (const std::string_view vr = ImplicitVrOf(h.tag); vr != "UN") return vr == "SQ";
    return h.length >= 8 && m_reader.U16(h.value) == 0xfffe && m_reader.U16(h.value + 2) == 0xe000;
  }

  // Items of a sequence whose header is `h`; returns the offset after the sequence or 0.
  size_t Items(const ElementHeader& h, size_t limit, int depth, std::vector<Dataset>& items) {
    if (depth > kMaxNesting) return 0;
    const size_t end = h.Undefined() ? limit : h.value + h.length;
    size_t at = h.value;
    while (h.Undefined() || at < end) {
      ElementHeader item;
      if (!m_reader.ReadHeader(at, end, item)) return 0;
      if (h.Undefined() && item.tag == tags::kSequenceDelimiter) return item.value;
      if (item.tag != tags::kItem) return 0;
      Dataset& d = items.emplace_back();
      at = item.Undefined() ? Elements(item.value, end, depth, true, d)
                            : Elements(item.value, item.value + item.length, depth, false, d);
      if (at == 0) return 0;
    }
    return at;
  }

  // Binary values of a big-endian file are turned to little endian in place.
  void SwapToLittleEndian(const ElementHeader& h) {
    const size_t size = BinaryValueSize(h.vr[0], h.vr[1]);
    if (m_encoding.littleEndian || size < 2) return;
    for (size_t at = h.value; at + size <= h.value + h.length; at += size) {
      std::reverse(m_bytes.begin() + static_cast<ptrdiff_t>(at), m_bytes.begin() + static_cast<ptrdiff_t>(at + size));
    }
  }

  std::vector<uint8_t>& m_bytes;
  ElementReader m_reader;
  Encoding m_encoding;
};

std::string TrimmedText(std::span<const uint8_t> value) {
  std::string s(value.begin(), value.end());
  while (!s.empty() && (s.back() == '\0' || s.back() == ' ')) s.pop_back();
  return s;
}

enum class Step { Done, NeedMore };

// File meta group (explicit VR little endian); returns the dataset start, or 0.
size_t ParseMetaGroup(std::vector<uint8_t>& bytes, ParsedFile& parsed, size_t& wanted) {
  Parser meta(bytes, Encoding{});
  size_t at = kPreambleAndMarker;
  while (at + 2 <= bytes.size()) {
    if (meta.Reader().U16(at) != 0x0002) return at;  // the dataset's encoding may differ: tag only
    ElementHeader h;
    if (!meta.Reader().ReadHeader(at, bytes.size(), h)) break;
    if (h.Undefined() || meta.Elements(at, h.value + h.length, 0, false, parsed.meta) == 0) return 0;
    at = h.value + h.length;
  }
  wanted = std::max(meta.Reader().Wanted(), at + 2 > bytes.size() ? at + 2 : 0);
  return 0;
}

// Parses the bytes read so far. NeedMore (with `wanted`) when the structure runs past them.
Step ParseLoaded(ParsedFile& parsed, bool whole, size_t& wanted, long& result) {
  std::vector<uint8_t>& bytes = parsed.bytes;
  result = WSI_E_MALFORMED;
  parsed.meta = Dataset();
  parsed.dataset = Dataset();
  if (bytes.size() < kPreambleAndMarker || std::memcmp(&bytes[128], "DICM", 4) != 0) return Step::Done;
  const size_t start = ParseMetaGroup(bytes, parsed, wanted);
  if (start == 0) return wanted > 0 && !whole ? Step::NeedMore : Step::Done;
  const DataElement* syntax = parsed.meta.Find(tags::kTransferSyntaxUid);
  parsed.transferSyntaxUid = syntax ? TrimmedText(syntax->value) : std::string();
  if (parsed.transferSyntaxUid.empty()) return Step::Done;
  if (parsed.transferSyntaxUid == kDeflatedSyntax) {
    result = WSI_E_UNSUPPORTED;
    return Step::Done;
  }
  parsed.encoding.explicitVr = parsed.transferSyntaxUid != "1.2.840.10008.1.2";
  parsed.encoding.littleEndian = parsed.transferSyntaxUid != "1.2.840.10008.1.2.2";
  Parser parser(bytes, parsed.encoding);
  size_t pixelData = 0;
  const size_t end = parser.Elements(start, bytes.size(), 0, false, parsed.dataset, &pixelData);
  if (!whole && (end == 0 ? parser.Reader().Wanted() > 0 : pixelData == 0)) {
    wanted = std::max(parser.Reader().Wanted(), bytes.size() + 1);
    return Step::NeedMore;
  }
  if (end == 0) return Step::Done;
  parsed.hasPixelData = pixelData != 0;
  parsed.pixelDataOffset = pixelData;
  result = WSI_OK;
  return Step::Done;
}

}  // namespace

long ParseFile(const PixelFile& file, ParsedFile& parsed) {
  if (!file.IsOpen()) return WSI_E_IO;
  try {
    uint64_t size = std::min<uint64_t>(file.Size(), kFirstRead);
    while (true) {
      parsed.bytes.resize(size);
      if (file.ReadAt(0, size, parsed.bytes.data()) != WSI_OK) return WSI_E_IO;
      size_t wanted = 0;
      long result = WSI_E_MALFORMED;
      if (ParseLoaded(parsed, size == file.Size(), wanted, result) == Step::Done) return result;
      size = std::min<uint64_t>(file.Size(), std::max<uint64_t>(wanted + kReadMargin, 2 * size));
      if (size > kMaxHeaderBytes) return WSI_E_UNSUPPORTED;
    }
  } catch (const std::bad_alloc&) {
    return WSI_E_OUTOFMEMORY;
  }
}

}  // namespace dicominterop

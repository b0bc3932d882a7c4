// Frame index of encapsulated pixel data (see FragmentWalk.h). Item headers are read with the
// ElementReader from small blocks (several headers of small fragments per read) while the kernel
// reads the pixel data ahead in large sequential reads.
#include "FragmentWalk.h"

#include <algorithm>
#include <cstring>

#include "../dataset/ElementReader.h"
#include "../dataset/Tags.h"

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

constexpr uint64_t kItemHeader = 8;
constexpr uint64_t kWalkBlock = 4096;
constexpr uint64_t kHeaderRead = 64;  // after an item longer than a block: the next header alone
constexpr uint64_t kReadAhead = uint64_t{64} << 20;

struct Fragment {
  uint64_t itemOffset;   // item tag, relative to the start of the file
  uint64_t length;       // value bytes after the 8-byte item header
  bool startsCodestream; // value begins with a JPEG / JPEG-LS / JPEG 2000 / JP2 start
};

bool StartsCodestream(const uint8_t* v, size_t available) {
  if (available < 4) return false;
  const bool jpeg = v[0] == 0xff && v[1] == 0xd8 && v[2] == 0xff;
  const bool j2k = v[0] == 0xff && v[1] == 0x4f && v[2] == 0xff && v[3] == 0x51;
  const bool jp2 = v[0] == 0 && v[1] == 0 && v[2] == 0 && v[3] == 0x0c;
  return jpeg || j2k || jp2;
}

// Item headers read from blocks of the file; a block always starts at a header it was read for.
// The kernel is asked to read well ahead of the walk, so that on a cold cache the headers arrive
// from large sequential reads while only the header bytes are copied.
class ItemScanner {
 public:
  explicit ItemScanner(const PixelFile& file) : m_file(file) {}

  // Header of the item (or delimiter) at `offset`, and whether its value starts a codestream.
  bool Read(uint64_t offset, ElementHeader& h, bool& startsCodestream) {
    if (offset > m_file.Size()) return false;
    const uint64_t want = std::min<uint64_t>(kItemHeader + 4, m_file.Size() - offset);
    if (offset < m_start || offset + want > m_start + m_block.size()) {
      if (!Load(offset)) return false;
    }
    const ElementReader reader(m_block, Encoding{});
    const size_t at = static_cast<size_t>(offset - m_start);
    if (!reader.ReadHeader(at, m_block.size(), h, true) || GroupOf(h.tag) != 0xfffe) return false;
    startsCodestream = StartsCodestream(m_block.data() + h.value, m_block.size() - h.value);
    m_lastLength = h.Undefined() ? 0 : h.length;
    h.value += m_start;
    return true;
  }

 private:
  bool Load(uint64_t offset) {
    if (offset + kReadAhead / 2 > m_advised) {
      m_file.Prefetch(offset, kReadAhead);
      m_advised = offset + kReadAhead;
    }
    // A block holds the headers of several small fragments; after a large one it would hold a
    // single header among value bytes copied for nothing, so only the header is read.
    const uint64_t size = std::min(m_lastLength >= kWalkBlock ? kHeaderRead : kWalkBlock, m_file.Size() - offset);
    m_block.resize(size);
    m_start = offset;
    return m_file.ReadAt(offset, size, m_block.data()) == WSI_OK;
  }

  const PixelFile& m_file;
  std::vector<uint8_t> m_block;
  uint64_t m_start = 0;
  uint64_t m_advised = 0;  // end of the range the kernel was asked to read ahead
  uint64_t m_lastLength = 0;  // value length of the item read last
};

long WalkFragments(const PixelFile& file, uint64_t offset, std::vector<Fragment>& fragments) {
  ItemScanner scanner(file);
  while (true) {
    ElementHeader h;
    bool starts = false;
    if (!scanner.Read(offset, h, starts)) return WSI_E_MALFORMED;
    if (h.tag == tags::kSequenceDelimiter) return WSI_OK;
    if (h.tag != tags::kItem || h.Undefined() || h.length > file.Size() - h.value) return WSI_E_MALFORMED;
    fragments.push_back({offset, h.length, starts});
    offset = h.value + h.length;
  }
}

void AddFrame(FrameIndex& index, const Fragment* first, const Fragment* last) {
  index.firstSpan.push_back(static_cast<uint32_t>(index.spans.size()));
  for (const Fragment* f = first; f != last; ++f) index.spans.push_back({f->itemOffset + kItemHeader, f->length});
}

// The Basic Offset Table item at `itemsStart`: its entries and the first fragment's offset.
long ReadBasicTable(const PixelFile& file, uint64_t itemsStart, std::vector<uint32_t>& table, uint64_t& firstFragment) {
  uint8_t header[kItemHeader];
  if (file.ReadAt(itemsStart, kItemHeader, header) != WSI_OK) return WSI_E_MALFORMED;
  const ElementReader reader(std::span<const uint8_t>(header), Encoding{});
  ElementHeader h;
  if (!reader.ReadHeader(0, kItemHeader, h, true) || h.tag != tags::kItem || h.length % 4 != 0 ||
      h.length > file.Size() - itemsStart - kItemHeader) {
    return WSI_E_MALFORMED;
  }
  firstFragment = itemsStart + kItemHeader + h.length;
  std::vector<uint8_t> bytes(h.length);
  if (h.length > 0 && file.ReadAt(itemsStart + kItemHeader, h.length, bytes.data()) != WSI_OK) return WSI_E_MALFORMED;
  const ElementReader values(bytes, Encoding{});
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4) table.push_back(values.U32(i));
  return WSI_OK;
}

long GroupByBasicTable(const std::vector<uint32_t>& table, uint64_t firstFragment,
                       const std::vector<Fragment>& fragments, FrameIndex& index) {
  size_t f = 0;
  for (size_t i = 0; i < table.size(); ++i) {
    if (f >= fragments.size() || fragments[f].itemOffset - firstFragment != table[i]) return WSI_E_MALFORMED;
    const size_t begin = f++;
    const uint64_t next = i + 1 < table.size() ? table[i + 1] : UINT64_MAX;
    while (f < fragments.size() && fragments[f].itemOffset - firstFragment < next) ++f;
    AddFrame(index, &fragments[begin], fragments.data() + f);
  }
  return f == fragments.size() ? WSI_OK : WSI_E_MALFORMED;
}

// Without an offset table and with more fragments than frames, a frame starts at each
// fragment that begins a codestream; the count must come out exactly.
long GroupByCodestreamStarts(uint32_t frameCount, const std::vector<Fragment>& fragments, FrameIndex& index) {
  size_t begin = 0;
  for (size_t f = 1; f <= fragments.size(); ++f) {
    if (f == fragments.size() || fragments[f].startsCodestream) {
      AddFrame(index, &fragments[begin], fragments.data() + f);
      begin = f;
    }
  }
  return index.firstSpan.size() == frameCount ? WSI_OK : WSI_E_MALFORMED;
}

// Spans from the Extended Offset Table: each frame is one fragment of the stated length.
bool SpansFromExtendedTable(const PixelFile& file, const InstanceInfo& info, uint64_t firstFragment, FrameIndex& index) {
  if (info.extendedOffsets.size() != info.frameCount || info.extendedLengths.size() != info.frameCount) return false;
  for (uint32_t i = 0; i < info.frameCount; ++i) {
    const uint64_t offset = info.extendedOffsets[i], length = info.extendedLengths[i];
    if (offset > file.Size() || firstFragment + offset + kItemHeader > file.Size() ||
        length > file.Size() - (firstFragment + offset + kItemHeader)) {
      return false;
    }
    index.firstSpan.push_back(i);
    index.spans.push_back({firstFragment + offset + kItemHeader, length});
  }
  return true;
}

// Spans from the Basic Offset Table, one fragment per frame: a frame runs to the next entry,
// the last one to the sequence delimiter taken to end the file.
bool SpansFromBasicTable(const PixelFile& file, const std::vector<uint32_t>& table, uint32_t frameCount,
                         uint64_t firstFragment, FrameIndex& index) {
  if (table.size() != frameCount || table.empty() || table[0] != 0) return false;
  const uint64_t end = file.Size() - std::min<uint64_t>(file.Size(), kItemHeader);
  for (uint32_t i = 0; i < frameCount; ++i) {
    const uint64_t value = firstFragment + table[i] + kItemHeader;
    const uint64_t next = i + 1 < frameCount ? firstFragment + table[i + 1] : end;
    if (next <= value || next > end) return false;
    index.firstSpan.push_back(i);
    index.spans.push_back({value, next - value});
  }
  return true;
}

}  // namespace

long IndexFromOffsetTable(const PixelFile& file, const InstanceInfo& info, uint64_t itemsStart, FrameIndex& index) {
  std::vector<uint32_t> table;
  uint64_t firstFragment = 0;
  if (long rc = ReadBasicTable(file, itemsStart, table, firstFragment); rc != WSI_OK) return rc;
  index.spans.reserve(info.frameCount);
  index.firstSpan.reserve(size_t{info.frameCount} + 1);
  const bool found = info.extendedOffsets.empty()
                         ? SpansFromBasicTable(file, table, info.frameCount, firstFragment, index)
                         : SpansFromExtendedTable(file, info, firstFragment, index);
  if (!found) {
    index = FrameIndex();
    return WSI_E_NOT_FOUND;
  }
  index.firstSpan.push_back(info.frameCount);
  index.pixelDataStart = itemsStart;
  index.pixelDataEnd = file.Size();
  index.headersChecked = false;
  return WSI_OK;
}

long IndexByWalk(const PixelFile& file, const InstanceInfo& info, uint64_t itemsStart, FrameIndex& index) {
  std::vector<uint32_t> table;
  uint64_t firstFragment = 0;
  if (long rc = ReadBasicTable(file, itemsStart, table, firstFragment); rc != WSI_OK) return rc;
  std::vector<Fragment> fragments;
  if (WalkFragments(file, firstFragment, fragments) != WSI_OK || fragments.size() < info.frameCount) {
    return WSI_E_MALFORMED;
  }
  // A Basic Offset Table that does not match the fragments is ignored: the fragments
  // themselves still say where the frames are.
  if (table.size() == info.frameCount && GroupByBasicTable(table, firstFragment, fragments, index) == WSI_OK) {
    index.firstSpan.push_back(static_cast<uint32_t>(index.spans.size()));
    index.pixelDataStart = itemsStart;
    index.pixelDataEnd = file.Size();
    return WSI_OK;
  }
  index = FrameIndex();
  long rc = WSI_OK;
  if (fragments.size() == info.frameCount) {
    for (const Fragment& f : fragments) AddFrame(index, &f, &f + 1);
  } else if (info.frameCount == 1) {
    AddFrame(index, fragments.data(), fragments.data() + fragments.size());
  } else {
    rc = GroupByCodestreamStarts(info.frameCount, fragments, index);
  }
  index.firstSpan.push_back(static_cast<uint32_t>(index.spans.size()));
  index.pixelDataStart = itemsStart;
  index.pixelDataEnd = file.Size();
  return rc;
}

}  // namespace dicominterop

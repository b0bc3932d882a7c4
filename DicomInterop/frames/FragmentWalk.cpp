// Frame index of encapsulated pixel data: Extended Offset Table, else Basic Offset Table, else
// fragments matched to frames (one each, all in one frame, or split at codestream starts).
#include "FragmentWalk.h"

#include <cstring>

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

constexpr uint32_t kItemTag = 0xe000fffe;        // (FFFE,E000) read as a little-endian word
constexpr uint32_t kDelimiterTag = 0xe0ddfffe;   // (FFFE,E0DD)
constexpr uint32_t kUndefinedLength = 0xffffffffu;

struct Fragment {
  uint64_t itemOffset;   // item tag, relative to the start of the file
  uint64_t length;       // value bytes after the 8-byte item header
  bool startsCodestream; // value begins with a JPEG / JPEG-LS / JPEG 2000 / JP2 start
};

uint32_t Le32(const uint8_t* p) { return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]; }

bool StartsCodestream(const uint8_t* v, uint64_t length) {
  if (length < 4) return false;
  const bool jpeg = v[0] == 0xff && v[1] == 0xd8 && v[2] == 0xff;
  const bool j2k = v[0] == 0xff && v[1] == 0x4f && v[2] == 0xff && v[3] == 0x51;
  const bool jp2 = v[0] == 0 && v[1] == 0 && v[2] == 0 && v[3] == 0x0c;
  return jpeg || j2k || jp2;
}

// Reads the item header at `offset` and, when present, the first 4 value bytes.
long ReadItem(const PixelFile& file, uint64_t offset, uint32_t& tag, uint32_t& length, uint8_t head[4]) {
  uint8_t buffer[12] = {};
  const size_t want = offset + 12 <= file.Size() ? 12 : 8;
  if (file.ReadAt(offset, want, buffer) != WSI_OK) return WSI_E_MALFORMED;
  tag = Le32(buffer);
  length = Le32(buffer + 4);
  std::memcpy(head, buffer + 8, 4);
  return WSI_OK;
}

long WalkFragments(const PixelFile& file, uint64_t offset, std::vector<Fragment>& fragments) {
  while (true) {
    uint32_t tag = 0, length = 0;
    uint8_t head[4];
    if (ReadItem(file, offset, tag, length, head) != WSI_OK) return WSI_E_MALFORMED;
    if (tag == kDelimiterTag) return WSI_OK;
    if (tag != kItemTag || length == kUndefinedLength || offset + 8 + length > file.Size()) return WSI_E_MALFORMED;
    fragments.push_back({offset, length, StartsCodestream(head, length)});
    offset += 8 + uint64_t{length};
  }
}

void AddFrame(FrameIndex& index, const Fragment* first, const Fragment* last) {
  index.firstSpan.push_back(static_cast<uint32_t>(index.spans.size()));
  for (const Fragment* f = first; f != last; ++f) index.spans.push_back({f->itemOffset + 8, f->length});
}

long IndexFromExtendedTable(const PixelFile& file, const InstanceInfo& info, uint64_t firstFragment, FrameIndex& index) {
  if (info.extendedOffsets.size() != info.frameCount || info.extendedLengths.size() != info.frameCount) {
    return WSI_E_MALFORMED;
  }
  for (uint32_t i = 0; i < info.frameCount; ++i) {
    const uint64_t value = firstFragment + info.extendedOffsets[i] + 8;
    const uint64_t length = info.extendedLengths[i];
    if (info.extendedOffsets[i] > file.Size() || value > file.Size() || length > file.Size() - value) {
      return WSI_E_MALFORMED;
    }
    index.firstSpan.push_back(i);
    index.spans.push_back({value, length});
  }
  index.firstSpan.push_back(info.frameCount);
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

long ReadBasicTable(const PixelFile& file, uint64_t offset, uint32_t length, std::vector<uint32_t>& table) {
  std::vector<uint8_t> bytes(length);
  if (file.ReadAt(offset, length, bytes.data()) != WSI_OK) return WSI_E_MALFORMED;
  for (uint32_t i = 0; i + 4 <= length; i += 4) table.push_back(Le32(&bytes[i]));
  return WSI_OK;
}

long IndexFromFragments(const PixelFile& file, const InstanceInfo& info, uint64_t botValue, uint32_t botLength,
                        uint64_t firstFragment, FrameIndex& index) {
  std::vector<Fragment> fragments;
  if (WalkFragments(file, firstFragment, fragments) != WSI_OK || fragments.size() < info.frameCount) {
    return WSI_E_MALFORMED;
  }
  long rc = WSI_OK;
  if (botLength > 0) {
    std::vector<uint32_t> table;
    rc = ReadBasicTable(file, botValue, botLength, table);
    if (rc == WSI_OK) rc = table.size() == info.frameCount ? GroupByBasicTable(table, firstFragment, fragments, index) : WSI_E_MALFORMED;
  } else if (fragments.size() == info.frameCount) {
    for (const Fragment& f : fragments) AddFrame(index, &f, &f + 1);
  } else if (info.frameCount == 1) {
    AddFrame(index, fragments.data(), fragments.data() + fragments.size());
  } else {
    rc = GroupByCodestreamStarts(info.frameCount, fragments, index);
  }
  index.firstSpan.push_back(static_cast<uint32_t>(index.spans.size()));
  return rc;
}

}  // namespace

long IndexEncapsulated(const PixelFile& file, const InstanceInfo& info, uint64_t itemsStart, FrameIndex& index) {
  uint32_t tag = 0, botLength = 0;
  uint8_t head[4];
  if (ReadItem(file, itemsStart, tag, botLength, head) != WSI_OK || tag != kItemTag || botLength % 4 != 0 ||
      itemsStart + 8 + uint64_t{botLength} > file.Size()) {
    return WSI_E_MALFORMED;
  }
  const uint64_t firstFragment = itemsStart + 8 + botLength;
  index.pixelDataStart = itemsStart;
  index.pixelDataEnd = file.Size();
  if (!info.extendedOffsets.empty()) return IndexFromExtendedTable(file, info, firstFragment, index);
  return IndexFromFragments(file, info, itemsStart + 8, botLength, firstFragment, index);
}

}  // namespace dicominterop

// Joined frame reads (see FrameBatchRead.h).
#include "FrameBatchRead.h"

#include <sys/uio.h>

#include <memory>
#include <vector>

namespace dicominterop {

using namespace DicomInteropDefines;

namespace {

constexpr uint64_t kMaxGap = 16 * 1024;  // larger gaps cost more to read and drop than a second call
constexpr size_t kMaxPieces = 1024;      // IOV_MAX on Linux

// One scatter read under construction: consecutive bytes of one file from `start`.
class JoinedRead {
 public:
  bool Empty() const { return m_pieces.empty(); }

  // Whether the frame's spans can be appended: same file, in ascending order, gaps small.
  bool Accepts(const FrameRead& read) const {
    const FrameIndex& index = read.frames->Index();
    const uint32_t first = index.firstSpan[read.frame], last = index.firstSpan[read.frame + 1];
    if (!Empty() && &read.frames->File() != m_file) return false;
    if (m_pieces.size() + 2 * size_t{last - first} > kMaxPieces) return false;
    uint64_t end = Empty() ? index.spans[first].offset : m_end;
    for (uint32_t s = first; s < last; ++s) {
      const FrameSpan& span = index.spans[s];
      if (span.offset < end || span.offset - end > kMaxGap) return false;
      end = span.offset + span.length;
    }
    return true;
  }

  void Append(FrameRead& read) {
    const FrameIndex& index = read.frames->Index();
    if (Empty()) {
      m_file = &read.frames->File();
      m_start = m_end = index.spans[index.firstSpan[read.frame]].offset;
    }
    uint8_t* at = read.destination;
    for (uint32_t s = index.firstSpan[read.frame]; s < index.firstSpan[read.frame + 1]; ++s) {
      const FrameSpan& span = index.spans[s];
      if (span.offset > m_end) AddPiece(Scratch(), span.offset - m_end);
      AddPiece(at, span.length);
      at += span.length;
      m_end = span.offset + span.length;
    }
    m_members.push_back(&read);
  }

  // Reads the joined bytes; on failure each member is read again on its own.
  void Run() {
    if (Empty()) return;
    if (m_file->ReadScatteredAt(m_start, m_pieces.data(), static_cast<int>(m_pieces.size())) != WSI_OK) {
      for (FrameRead* read : m_members) {
        read->result = read->frames->ReadFrameInto(read->frame, read->destination, read->capacity, &read->size);
        if (read->result != WSI_OK) read->size = 0;
      }
    }
    m_pieces.clear();
    m_members.clear();
  }

 private:
  void AddPiece(void* base, uint64_t length) { m_pieces.push_back(iovec{base, static_cast<size_t>(length)}); }

  // Gap bytes are all read into one block and dropped.
  uint8_t* Scratch() {
    if (!m_scratch) m_scratch = std::make_unique<uint8_t[]>(kMaxGap);
    return m_scratch.get();
  }

  const PixelFile* m_file = nullptr;
  uint64_t m_start = 0, m_end = 0;
  std::vector<iovec> m_pieces;
  std::vector<FrameRead*> m_members;
  std::unique_ptr<uint8_t[]> m_scratch;
};

// Sizes the entry and checks its destination; false when it is settled without a read.
bool Prepare(FrameRead& read) {
  read.size = 0;
  if (!read.frames) return false;
  uint64_t size = 0;
  read.result = read.frames->FrameSize(read.frame, &size);
  if (read.result == WSI_OK && (size > read.capacity || !read.destination)) read.result = WSI_E_INVALIDARG;
  if (read.result != WSI_OK) return false;
  read.size = size;
  return true;
}

}  // namespace

void ReadFrames(std::span<FrameRead> reads) {
  JoinedRead joined;
  for (FrameRead& read : reads) {
    if (!Prepare(read)) continue;
    if (!joined.Accepts(read)) joined.Run();
    if (joined.Accepts(read)) {
      joined.Append(read);
    } else {  // fragments far apart or out of order: the frame is read on its own
      read.result = read.frames->ReadFrameInto(read.frame, read.destination, read.capacity, &read.size);
      if (read.result != WSI_OK) read.size = 0;
    }
  }
  joined.Run();
}

}  // namespace dicominterop

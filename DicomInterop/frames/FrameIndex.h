// Where each encoded frame of one instance lies in its file: one or more byte spans per frame
// (a frame split over several fragments is read as the spans joined). All offsets are
// relative to the start of the file. Built once per instance by BuildFrameIndex.
#pragma once

#include <cstdint>
#include <vector>

#include "../dataset/InstanceInfo.h"
#include "../dataset/PixelFile.h"

namespace dicominterop {

struct FrameSpan {
  uint64_t offset;  // first byte of the span, relative to the start of the file
  uint64_t length;  // bytes
};

struct FrameIndex {
  std::vector<FrameSpan> spans;
  std::vector<uint32_t> firstSpan;  // frame i = spans[firstSpan[i] .. firstSpan[i + 1])
  uint64_t pixelDataStart = 0;      // first byte after the Pixel Data element header
  uint64_t pixelDataEnd = 0;        // one past the last byte of the pixel data
  // False when the spans come from an offset table alone or from the index cache: then each
  // frame is one fragment whose item header (the 8 bytes before its span) is still to be
  // checked against the span.
  bool headersChecked = true;

  uint32_t FrameCount() const { return firstSpan.empty() ? 0 : static_cast<uint32_t>(firstSpan.size() - 1); }
  uint64_t FrameLength(uint32_t frame) const;
};

enum class IndexMethod {
  kTrustTables,  // Extended or Basic Offset Table taken as stated when plausible, else the
                 // index cache, else a walk
  kWalk,         // every fragment item walked (a table only groups fragments into frames), cache ignored
};

// Native pixel data: frame i at a fixed stride. Encapsulated pixel data: by `method`.
// WSI_OK or WSI_E_MALFORMED / WSI_E_IO / WSI_E_UNSUPPORTED / WSI_E_OUTOFMEMORY.
long BuildFrameIndex(const PixelFile& file, const InstanceInfo& info, IndexMethod method, FrameIndex& index);

// Whether the item header read before a table-built span matches it: an item tag and the span's length.
bool ItemHeaderMatches(const uint8_t header[8], uint64_t length);

}  // namespace dicominterop

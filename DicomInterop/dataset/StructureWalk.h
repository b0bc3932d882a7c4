// A bounds-checked walk over the element structure of a DICOM Part 10 file (file meta group,
// then the dataset with nested sequences) up to the top-level Pixel Data element. Run before
// the toolkit parses a file, so that truncated or corrupt files are refused here: the walk
// never reads past the end, advances at least one header per step and limits nesting.
#pragma once

#include <cstdint>
#include <string>

namespace dicominterop {

struct FileStructure {
  std::string transferSyntaxUid;
  uint64_t pixelDataOffset = 0;  // offset of the (7FE0,0010) tag, relative to the file start
  bool hasPixelData = false;
  // Value of the top-level Per-Frame Functional Groups Sequence, relative to the file start
  // (for an undefined length, up to and including its sequence delimiter).
  uint64_t perFrameBegin = 0, perFrameEnd = 0;
  bool implicitVr = false, bigEndian = false;
};

// WSI_OK when the structure is complete; WSI_E_MALFORMED, WSI_E_IO or WSI_E_UNSUPPORTED (deflated).
long WalkStructure(const std::string& path, FileStructure& structure);

}  // namespace dicominterop

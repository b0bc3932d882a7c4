// Reads a DICOM Part 10 file from its start up to the Pixel Data element into memory and parses
// the file meta group and the dataset with the ElementReader. The Per-Frame Functional Groups
// Sequence is checked but kept unparsed (PerFrameGroups walks it). Thread-safe (no shared state).
// WSI_OK; WSI_E_IO (cannot open or read), WSI_E_MALFORMED (not Part 10, truncated, lengths that
// do not fit, unknown VRs, nesting too deep), WSI_E_UNSUPPORTED (deflated, header over 1 GiB).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Dataset.h"
#include "ElementReader.h"

namespace dicominterop {

class PixelFile;

struct ParsedFile {
  ParsedFile() = default;
  ParsedFile(const ParsedFile&) = delete;
  ParsedFile& operator=(const ParsedFile&) = delete;

  std::vector<uint8_t> bytes;  // the file from its start, at least up to Pixel Data
  std::string transferSyntaxUid;
  Encoding encoding;
  Dataset meta, dataset;
  bool hasPixelData = false;
  uint64_t pixelDataOffset = 0;  // offset of the (7FE0,0010) tag, relative to the file start
};

long ParseFile(const PixelFile& file, ParsedFile& parsed);

}  // namespace dicominterop

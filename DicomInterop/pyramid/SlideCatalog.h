// Scans a slide directory and groups what it finds: pyramids (VOLUME instances by Series
// Instance UID), single images (LABEL / OVERVIEW / THUMBNAIL) and bulk annotations.
// Files that are not DICOM Part 10 files, not slide microscopy, truncated or malformed are skipped.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "../dataset/DatasetReader.h"
#include "../dataset/InstanceInfo.h"

namespace dicominterop {

struct Pyramid {
  std::string seriesUid;
  uint32_t level0Width = 0;
  std::vector<std::shared_ptr<const InstanceInfo>> volumes;
};

// A file holding DICOM (the Part 10 marker) that could not be read, with what its dataset told
// before the failure (empty or zero when it told nothing).
struct UnreadableFile {
  std::string path;
  long code = 0;
  std::string seriesUid;
  bool volume = false;
  uint32_t totalColumns = 0;
};

struct SlideCatalog {
  std::vector<Pyramid> pyramids;                          // the served one first
  std::vector<std::shared_ptr<const InstanceInfo>> singles;
  std::vector<std::shared_ptr<const InstanceInfo>> annotations;
  uint64_t servedBytes = 0;                               // file sizes of the served slide
  // Unreadable files; instances of SOP classes the library does not use are not counted.
  std::vector<UnreadableFile> unreadable;
  // An unreadable pyramid image of the served series is wider than its widest readable level:
  // the served level 0 is then not the slide's full resolution.
  bool largestLevelHidden = false;
};

// WSI_OK or WSI_E_PATH when `directory` is not a directory. `readAnnotations` recognises and reads
// annotation instances (see ReadInstance); the layer above the pyramid provides it.
long ScanDirectory(const std::string& directory, bool recursive, bool includeSingles, bool strict,
                   AnnotationRead readAnnotations, SlideCatalog& catalog);

}  // namespace dicominterop

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

struct SlideCatalog {
  std::vector<Pyramid> pyramids;                          // the served one first
  std::vector<std::shared_ptr<const InstanceInfo>> singles;
  std::vector<std::shared_ptr<const InstanceInfo>> annotations;
  uint64_t servedBytes = 0;                               // file sizes of the served slide
};

// WSI_OK or WSI_E_PATH when `directory` is not a directory. `readAnnotations` recognises and reads
// annotation instances (see ReadInstance); the layer above the pyramid provides it.
long ScanDirectory(const std::string& directory, bool recursive, bool includeSingles, bool strict,
                   AnnotationRead readAnnotations, SlideCatalog& catalog);

}  // namespace dicominterop

// Directory scan and grouping into pyramids (see SlideCatalog.h). Only DICOM Part 10 files
// (the "DICM" marker at byte 128) are parsed, as the standard's media files carry it.
#include "SlideCatalog.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

#include "../dataset/DatasetReader.h"
#include "PyramidMath.h"

namespace dicominterop {
namespace {

namespace fs = std::filesystem;
using namespace DicomInteropDefines;

bool HasPart10Marker(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char marker[4] = {};
  const bool ok = ::pread(fd, marker, 4, 128) == 4 && std::memcmp(marker, "DICM", 4) == 0;
  ::close(fd);
  return ok;
}

std::vector<std::string> ListFiles(const fs::path& directory, bool recursive) {
  std::vector<std::string> files;
  std::error_code ec;
  const auto options = fs::directory_options::skip_permission_denied;
  auto add = [&](const fs::directory_entry& entry) {
    std::error_code typeError;
    if (entry.is_regular_file(typeError)) files.push_back(entry.path().string());
  };
  if (recursive) {
    for (fs::recursive_directory_iterator it(directory, options, ec), end; !ec && it != end; it.increment(ec)) add(*it);
  } else {
    for (fs::directory_iterator it(directory, options, ec), end; !ec && it != end; it.increment(ec)) add(*it);
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool UsableVolume(const InstanceInfo& info, bool strict) {
  if (info.totalColumns == 0 || info.totalRows == 0 || info.seriesUid.empty()) return false;
  return !strict || (!info.sopInstanceUid.empty() && info.syntax != WSI_TS_OTHER);
}

void GroupPyramids(std::vector<std::shared_ptr<const InstanceInfo>>& volumes, SlideCatalog& catalog) {
  std::map<std::string, Pyramid> bySeries;
  for (auto& v : volumes) {
    Pyramid& p = bySeries[v->seriesUid];
    p.seriesUid = v->seriesUid;
    p.level0Width = std::max(p.level0Width, v->totalColumns);
    p.volumes.push_back(std::move(v));
  }
  for (auto& [uid, pyramid] : bySeries) catalog.pyramids.push_back(std::move(pyramid));
  // The largest pyramid is served when a directory holds several.
  std::stable_sort(catalog.pyramids.begin(), catalog.pyramids.end(),
                   [](const Pyramid& a, const Pyramid& b) { return a.level0Width > b.level0Width; });
}

UnreadableFile Unreadable(const InstanceInfo& info, long code) {
  return {info.path, code, info.seriesUid, info.IsVolume(), info.totalColumns};
}

bool HidesLargestLevel(const UnreadableFile& file, const Pyramid& served) {
  return file.volume && file.seriesUid == served.seriesUid && file.totalColumns > served.level0Width;
}

}  // namespace

long ScanDirectory(const std::string& directory, bool recursive, bool includeSingles, bool strict,
                   AnnotationRead readAnnotations, SlideCatalog& catalog) {
  std::error_code ec;
  if (!fs::is_directory(directory, ec)) return WSI_E_PATH;
  std::vector<std::shared_ptr<const InstanceInfo>> volumes;
  for (const std::string& file : ListFiles(directory, recursive)) {
    if (!HasPart10Marker(file)) continue;
    auto info = std::make_shared<InstanceInfo>();
    if (const long rc = ReadInstance(file, *info, readAnnotations); rc != WSI_OK) {
      if (rc != WSI_E_UNSUPPORTED) catalog.unreadable.push_back(Unreadable(*info, rc));
      continue;
    }
    if (info->annotations) {
      if (includeSingles) catalog.annotations.push_back(std::move(info));
    } else if (info->IsVolume()) {
      if (UsableVolume(*info, strict)) volumes.push_back(std::move(info));
      else catalog.unreadable.push_back(Unreadable(*info, WSI_E_MALFORMED));
    } else if (includeSingles && info->flavor != ImageFlavor::Other) {
      catalog.singles.push_back(std::move(info));
    }
  }
  GroupPyramids(volumes, catalog);
  if (!catalog.pyramids.empty()) {
    catalog.largestLevelHidden = std::any_of(catalog.unreadable.begin(), catalog.unreadable.end(),
                                             [&](const UnreadableFile& f) { return HidesLargestLevel(f, catalog.pyramids.front()); });
  }
  return WSI_OK;
}

}  // namespace dicominterop

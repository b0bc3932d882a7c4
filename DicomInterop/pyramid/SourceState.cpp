// State behind one CDirectorySource (see SourceState.h): level lookup by size, single-image and
// annotation matching by series (else study), cached level building, chunked read-ahead.
#include "SourceState.h"

#include <algorithm>
#include <set>

#include "PyramidMath.h"

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

constexpr uint64_t kReadAheadChunk = 8u << 20;

bool References(const InstanceInfo& annotation, const Pyramid& pyramid) {
  const auto& series = annotation.referencedSeries;
  if (std::find(series.begin(), series.end(), pyramid.seriesUid) != series.end()) return true;
  for (const auto& v : pyramid.volumes) {
    const auto& refs = annotation.referencedInstances;
    if (std::find(refs.begin(), refs.end(), v->sopInstanceUid) != refs.end()) return true;
  }
  return false;
}

}  // namespace

long SourceState::Init(const std::string& directory, bool recursive, bool includeSingles, bool strict,
                       AnnotationRead readAnnotations, long* slideCount) {
  const long rc = ScanDirectory(directory, recursive, includeSingles, strict, readAnnotations, m_catalog);
  if (slideCount) *slideCount = static_cast<long>(m_catalog.pyramids.size());
  if (rc != WSI_OK || !HasSlide()) return rc;
  uint64_t bytes = 0;
  for (const auto& v : Served()->volumes) bytes += v->fileSize;
  for (ImageFlavor f : {ImageFlavor::Label, ImageFlavor::Overview, ImageFlavor::Thumbnail}) {
    if (auto s = Single(f)) bytes += s->fileSize;
  }
  m_catalog.servedBytes = bytes;
  return WSI_OK;
}

int32_t SourceState::LevelOf(const InstanceInfo& info) const {
  return PyramidLevelOf(Served()->level0Width, info.totalColumns);
}

std::vector<int32_t> SourceState::Levels(bool extended) const {
  std::set<int32_t> levels;
  if (HasSlide()) {
    for (const auto& v : Served()->volumes) {
      if (v->extendedDepthOfField == extended && LevelOf(*v) >= 0) levels.insert(LevelOf(*v));
    }
  }
  return {levels.begin(), levels.end()};
}

bool SourceState::HasExtendedFocus() const { return !Levels(true).empty(); }

// Single images of the served series; else of the same study (some writers give each image
// type its own series).
std::shared_ptr<const InstanceInfo> SourceState::Single(ImageFlavor flavor) const {
  if (!HasSlide()) return nullptr;
  const InstanceInfo& level0 = *Served()->volumes.front();
  std::shared_ptr<const InstanceInfo> sameStudy;
  for (const auto& s : m_catalog.singles) {
    if (s->flavor != flavor) continue;
    if (s->seriesUid == level0.seriesUid) return s;
    if (!sameStudy && s->studyUid == level0.studyUid) sameStudy = s;
  }
  return sameStudy;
}

// Annotations that reference the served series or one of its instances; an annotation object
// that references nothing belongs to the slide of its study.
std::vector<std::shared_ptr<const InstanceInfo>> SourceState::Annotations() const {
  std::vector<std::shared_ptr<const InstanceInfo>> result;
  if (!HasSlide()) return result;
  for (const auto& a : m_catalog.annotations) {
    const bool unreferenced = a->referencedSeries.empty() && a->referencedInstances.empty();
    if (References(*a, *Served()) || (unreferenced && a->studyUid == Served()->volumes.front()->studyUid)) {
      result.push_back(a);
    }
  }
  return result;
}

long SourceState::OpenLevel(bool extended, int32_t level, bool validate, std::shared_ptr<const LevelData>& out) {
  if (!HasSlide() || level < 0) return WSI_E_LEVEL_ABSENT;
  std::lock_guard lock(m_levelsMutex);
  auto& cached = m_levels[{extended, level}];
  if (cached) {
    out = cached;
    return WSI_OK;
  }
  std::vector<std::shared_ptr<const InstanceInfo>> instances;
  for (const auto& v : Served()->volumes) {
    if (v->extendedDepthOfField == extended && LevelOf(*v) == level) instances.push_back(v);
  }
  std::sort(instances.begin(), instances.end(), [](const auto& a, const auto& b) {
    return std::tie(a->concatenationUid, a->concatenationFrameOffset, a->path) <
           std::tie(b->concatenationUid, b->concatenationFrameOffset, b->path);
  });
  const long rc = BuildLevel(instances, extended, level, validate, cached);
  if (rc != WSI_OK) m_levels.erase({extended, level});
  else out = cached;
  return rc;
}

void SourceState::SetPreReading(bool enabled) {
  std::lock_guard lock(m_readAheadMutex);
  m_preReading = enabled;
}

bool SourceState::PreLoadNextChunk(int32_t focus, int32_t level) {
  {
    std::lock_guard lock(m_readAheadMutex);
    if (!m_preReading) return true;
  }
  std::shared_ptr<const LevelData> data;
  if (OpenLevel(focus == -1, level, false, data) != WSI_OK) return true;
  std::lock_guard lock(m_readAheadMutex);
  uint64_t& cursor = m_readAheadCursor[{focus, level}];
  uint64_t skipped = 0;
  for (const auto& part : data->parts) {
    if (part->EnsureIndex() != WSI_OK) continue;
    const FrameIndex& index = part->Index();
    const uint64_t length = index.pixelDataEnd - index.pixelDataStart;
    if (cursor < skipped + length) {
      const uint64_t offset = cursor - skipped;
      const uint64_t chunk = std::min(kReadAheadChunk, length - offset);
      part->File().Prefetch(index.pixelDataStart + offset, chunk);
      cursor += chunk;
      return false;
    }
    skipped += length;
  }
  return true;
}

}  // namespace dicominterop

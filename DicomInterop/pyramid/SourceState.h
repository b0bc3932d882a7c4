// State behind one CDirectorySource: the served pyramid, its single images and annotations,
// the metadata, a cache of built levels and the read-ahead cursors. Shared (by shared_ptr)
// with the zoom images opened from it. The level cache and read-ahead have their own mutexes.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <utility>

#include "CommonWSIMetadata.h"
#include "LevelData.h"
#include "SlideCatalog.h"

namespace dicominterop {

class SourceState {
 public:
  // Scans `directory` (see ScanDirectory). The metadata is set afterwards by the directory source.
  long Init(const std::string& directory, bool recursive, bool includeSingles, bool strict,
            AnnotationRead readAnnotations, long* slideCount);
  void SetMetadata(CCommonWSIMetadata metadata) { m_metadata = std::move(metadata); }

  bool HasSlide() const { return !m_catalog.pyramids.empty(); }
  const Pyramid* Served() const { return HasSlide() ? &m_catalog.pyramids.front() : nullptr; }
  std::vector<int32_t> Levels(bool extended) const;
  bool HasExtendedFocus() const;
  std::shared_ptr<const InstanceInfo> Single(ImageFlavor flavor) const;
  std::vector<std::shared_ptr<const InstanceInfo>> Annotations() const;
  uint64_t SlideBytes() const { return m_catalog.servedBytes; }
  const CCommonWSIMetadata& Metadata() const { return m_metadata; }
  const SlideCatalog& Catalog() const { return m_catalog; }

  // Built level (cached). WSI_E_LEVEL_ABSENT when the pyramid has no instances for it.
  long OpenLevel(bool extended, int32_t level, bool validate, std::shared_ptr<const LevelData>& out);

  void Close() { m_closed = true; }
  bool IsClosed() const { return m_closed; }

  void SetPreReading(bool enabled);
  bool PreLoadNextChunk(int32_t focus, int32_t level);

 private:
  int32_t LevelOf(const InstanceInfo& info) const;

  SlideCatalog m_catalog;
  CCommonWSIMetadata m_metadata;
  std::atomic<bool> m_closed{false};
  std::mutex m_levelsMutex;  // guards m_levels
  std::map<std::pair<bool, int32_t>, std::shared_ptr<const LevelData>> m_levels;
  std::mutex m_readAheadMutex;  // guards m_preReading and m_readAheadCursor
  bool m_preReading = false;
  std::map<std::pair<int32_t, int32_t>, uint64_t> m_readAheadCursor;  // (focus, level) -> bytes advised
};

}  // namespace dicominterop

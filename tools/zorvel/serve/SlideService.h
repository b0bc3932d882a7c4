// What zorvel serve knows of its slides: each slide opened once through the module (one
// free-threaded slide object shared by all requests, so the module's caches serve every client),
// its facts, Deep Zoom tiles rendered by GetImage and encoded as JPEG (or, where a tile is one
// stored JPEG tile, the stored bytes), single images, properties and annotations as JSON.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "DeepZoom.h"
#include "ModuleHost.h"
#include "SlideCatalog.h"

namespace zorvel_serve {

struct SlideFacts {
  std::int64_t width = 0, height = 0;
  double pixelWidth = 0, pixelHeight = 0;  // micrometres
  bool brightfield = true, extendedFocus = false;
  int channels = 1, focalPlanes = 1;
  std::vector<int> levels;  // stored zoom levels
  std::int64_t tileWidth = 0, tileHeight = 0;
  std::string compression, slideId;
};

struct OpenedSlide {
  std::string name;
  ComPtr<IKLVZorvel3> slide;
  zorvel_cli::CallResult failure;  // why the slide could not be opened
  SlideFacts facts;
};

// One response body with its type and HTTP status.
struct Reply {
  int status = 200;
  std::string body, contentType = "application/json";
};

struct TileQuery {
  int level = 0;
  std::int64_t column = 0, row = 0;
  int tileSize = 254, overlap = 1;
  std::optional<int> focus;                    // plane relative to the middle plane
  std::vector<std::int32_t> channels{2, 1, 0};  // red, green, blue
};

class SlideService {
 public:
  // cacheCapBytes: when above 0, the cap on the module's tile-cache budgets (key 50005) set
  // before the first slide opens.
  SlideService(std::filesystem::path modulePath, const std::filesystem::path& root, std::uint64_t cacheCapBytes = 0);

  const SlideCatalog& Catalog() const { return m_catalog; }

  // The slide of that name, opened on first use; nullptr when the catalog has no such name.
  std::shared_ptr<const OpenedSlide> Open(const std::string& name);

  Reply SlideList();
  Reply Info(const OpenedSlide& slide) const;
  Reply Properties(const OpenedSlide& slide) const;
  Reply Annotations(const OpenedSlide& slide) const;
  Reply SingleImage(const OpenedSlide& slide, const std::string& kind) const;  // label, overview, thumbnail
  Reply Descriptor(const OpenedSlide& slide, int tileSize, int overlap) const;
  Reply Tile(const OpenedSlide& slide, const TileQuery& query) const;

 private:
  std::filesystem::path m_modulePath;
  std::uint64_t m_cacheCapBytes = 0;
  SlideCatalog m_catalog;
  std::mutex m_mutex;  // guards m_host and m_slides
  zorvel_cli::ModuleHost m_host;
  std::vector<std::shared_ptr<const OpenedSlide>> m_slides;
};

// {"error": TEXT} with the given status.
Reply ErrorReply(int status, const std::string& text);

}  // namespace zorvel_serve

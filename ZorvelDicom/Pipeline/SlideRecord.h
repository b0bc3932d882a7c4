// What the directory-source agent remembers of a slide's last view: the rectangle, the level and
// caches it came from, and how far read-ahead around it has gone. Guarded by the agent's state lock.
#pragma once

#include <cstdint>
#include <memory>

#include "Pipeline/ReadAheadPlanner.h"

class CWSIZoomImage;
namespace HugeCache {
class EncodedTileCache;
class DecodedTileCache;
}  // namespace HugeCache

namespace Pipeline {

struct SlideRecord {
  TileRectangle view;                       // the last view
  int32_t firstChannel = 0, lastChannel = 0;
  const CWSIZoomImage* zoomImage = nullptr;  // the viewed level; kept alive by keepAlive
  std::shared_ptr<const void> keepAlive;
  // The viewed slide's cache clients (of the object that viewed last); keepAlive holds them.
  HugeCache::EncodedTileCache* encodedCache = nullptr;
  HugeCache::DecodedTileCache* decodedCache = nullptr;
  LevelGrid grid;                           // of the viewed level
  int32_t planes = 1;
  bool tiledFull = true;
  // Read-ahead phase: 0 asks the library to read the viewed focus's levels ahead, from the viewed
  // level down to 0 (chunkLevel); 1 reads tiles around the view into the encoded cache; 2 is done.
  // The finer level is opened by the agent itself when read-ahead reaches it (the object that
  // viewed may not have opened it); it goes with the record.
  int phase = 0;
  int32_t chunkLevel = 0;
  ReadAheadPlanner planner;
  std::shared_ptr<const CWSIZoomImage> finerImage;
};

}  // namespace Pipeline

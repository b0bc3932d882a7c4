// The keys of the slide-access object's configuration property (get_Properties / put_Properties):
// per-object switches, process-wide tuning values, closing the slide and the annotations object.
#pragma once

#include <windef.h>

namespace ConfigurationKeys {

enum Key : LONG {
  kConstructed = 200,             // read: the object is constructed
  kHighBitDepthOutput = 207,      // 48-bit output of 16-bit slides
  kLargeRawTiles = 396,           // the large-raw-tile switch
  kAnnotations = 1009,            // read: an annotations object bound to the open slide
  kCloseSlide = 10001,            // write: closes the slide
  kEmptyReadBack = 10004,         // read: EMPTY
  kPreReading = 10028,            // pre-reading switch
  kDecodedMultiplier = 50000,     // cache budgets
  kEncodedMultiplier = 50001,
  kCacheDivisor = 50002,
  kMonitorThreshold = 50003,
  kLosslessEncodedShare = 50004,
  kCacheCap = 50005,
  kMaxConcurrency = 50006,        // region rendering's scheduler
  kReadLimit = 50007,             // the tile loader's read limit
  kChunkReadAhead = 50008,
  kTileReadAhead = 50009,
  kSynchronousOpen = 50010,
};

}  // namespace ConfigurationKeys

// Walks down the zoom levels of a slide (start level, start - 1, ..., 0) until one opens, in the
// combinations the slide-access object needs: one kind, normal-or-extended, extended-and-normal.
// The slide library's stop code ends every walk at once and is reported at each level it passes.
#pragma once

#include <winerror.h>

namespace ZoomLevelWalks {

// The slide library asks every search for a level to end at once.
inline constexpr HRESULT kStopCode = static_cast<HRESULT>(0xB000012Cu);

// What the walks need from the slide-access object: opening one level, and reporting a failure.
class ZoomLevelOpener {
 public:
  virtual HRESULT OpenNativeZoomImgs(long level, bool extended) = 0;
  virtual void ReportWalkFailure(int line, HRESULT hr, const char16_t* function) = 0;

 protected:
  ~ZoomLevelOpener() = default;
};

// Opens one level; the stop code is reported.
HRESULT TryOpenZoomlevelFound(ZoomLevelOpener& opener, long level, bool extended);

// Opens the first level from start down to 0; levelDifference = start - opened level.
// E_FAIL (unreported) when none opens; a negative start opens nothing.
HRESULT TryOpenSmallestZoomlevelFound(ZoomLevelOpener& opener, long start, bool extended,
                                      long& levelDifference);

// The normal walk, then the extended walk when the normal one opened nothing.
HRESULT TryOpenNormalOrExtendedSmallestZoomlevelFound(ZoomLevelOpener& opener, long start);

// The extended walk and then always the normal walk; levelDifference is the normal walk's when it
// opened a level, else the extended walk's.
HRESULT TryOpenExtendedAndNormalSmallestZoomlevelFound(ZoomLevelOpener& opener, long start,
                                                       long& levelDifference);

}  // namespace ZoomLevelWalks

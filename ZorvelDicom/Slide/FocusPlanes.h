// Focus-plane arithmetic of a z-stack: the index of the middle plane, the first focus level, and
// the z offsets of the planes relative to the middle of the stack, keyed by focus level.
// Pure functions; the extended-focus image, when the slide has one, counts as one more plane.
#pragma once

#include <map>
#include <vector>

#include <winerror.h>

namespace FocusPlanes {

// Index of the middle focus plane of a stack of planeCount planes.
unsigned long ZeroFocusLevel(unsigned long planeCount, bool extendedFocus);

// Focus level of the lowest plane; the middle plane has focus level 0.
long ZStackFirstLevel(unsigned long planeCount, bool extendedFocus);

struct ZStackLayout {
  unsigned long planeCount = 0;      // z-stack count of the normal image
  bool extendedFocus = false;        // the slide also has an extended-focus image
  bool normalLevelsPresent = false;  // at least one normal-focus zoom image is open
};

// Checks that the library's z coordinates fit the stack, centres them on the middle of the stack and
// stores them under the focus levels firstLevel, firstLevel + 1, ... from the last coordinate down.
// E_INVALIDARG when the count of coordinates does not fit; no coordinates give no offsets.
HRESULT ComputeFocusLevelOffsets(const ZStackLayout& layout, const std::vector<double>& zCoordinates,
                                 long firstLevel, std::map<long, double>& offsets);

}  // namespace FocusPlanes

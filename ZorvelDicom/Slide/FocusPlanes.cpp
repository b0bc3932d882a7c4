// Focus-plane arithmetic: middle plane, first focus level and centred z offsets of a z-stack.
// No state; every input comes from the caller.
#include "Slide/FocusPlanes.h"

#include <cstddef>

namespace FocusPlanes {

unsigned long ZeroFocusLevel(unsigned long planeCount, bool extendedFocus) {
  if (planeCount < 2) return 0;
  const unsigned long upperMiddle = planeCount / 2 + planeCount % 2;
  return extendedFocus ? upperMiddle : upperMiddle - 1;
}

long ZStackFirstLevel(unsigned long planeCount, bool extendedFocus) {
  if (planeCount <= 1) return 0;
  return (extendedFocus ? 1L : 0L) - static_cast<long>(ZeroFocusLevel(planeCount, extendedFocus));
}

namespace {

bool CoordinateCountFits(const ZStackLayout& layout, std::size_t count) {
  const long planes = static_cast<long>(layout.planeCount) + (layout.extendedFocus ? 1 : 0);
  const long available = static_cast<long>(count);
  if (available < planes - 1) return false;
  if (!layout.normalLevelsPresent) return true;
  return available == (layout.extendedFocus ? planes - 1 : planes);
}

double StackCentre(const ZStackLayout& layout, const std::vector<double>& z) {
  double centre = (z.front() + z.back()) * 0.5;
  const bool even = layout.planeCount > 0 && layout.planeCount % 2 == 0;
  if (even && z.size() >= 2) centre -= (z[0] - z[1]) * 0.5;
  return centre;
}

}  // namespace

HRESULT ComputeFocusLevelOffsets(const ZStackLayout& layout, const std::vector<double>& zCoordinates,
                                 long firstLevel, std::map<long, double>& offsets) {
  if (!CoordinateCountFits(layout, zCoordinates.size())) return E_INVALIDARG;
  offsets.clear();
  if (zCoordinates.empty()) return S_OK;
  const double centre = StackCentre(layout, zCoordinates);
  // Planes of the stack only: the extended-focus image has no coordinate of its own.
  const long planes = static_cast<long>(layout.planeCount) + (layout.extendedFocus ? 1 : 0);
  long index = planes - (layout.extendedFocus ? 1 : 0) - 1;
  if (index >= static_cast<long>(zCoordinates.size())) index = static_cast<long>(zCoordinates.size()) - 1;
  for (long level = firstLevel; index >= 0; --index, ++level) {
    offsets[level] = zCoordinates[static_cast<std::size_t>(index)] - centre;
  }
  return S_OK;
}

}  // namespace FocusPlanes

// Zoom-level walks of the slide-access object; each reporting site names the walk it belongs to.
// The failure codes are passed up unchanged.
#include "Slide/ZoomLevelWalks.h"

namespace ZoomLevelWalks {
namespace {

constexpr int kLineStopExtendedLevel = 344;
constexpr int kLineStopNormalLevel = 356;
constexpr int kLineStopSmallestWalk = 376;
constexpr int kLineStopNormalWalk = 395;
constexpr int kLineExtendedWalk = 400;
constexpr int kLineStopBothWalks = 413;

}  // namespace

HRESULT TryOpenZoomlevelFound(ZoomLevelOpener& opener, long level, bool extended) {
  const HRESULT hr = opener.OpenNativeZoomImgs(level, extended);
  if (hr == kStopCode) {
    opener.ReportWalkFailure(extended ? kLineStopExtendedLevel : kLineStopNormalLevel, hr,
                             u"CDicomZorvelImpl::TryOpenZoomlevelFound");
  }
  return hr;
}

HRESULT TryOpenSmallestZoomlevelFound(ZoomLevelOpener& opener, long start, bool extended,
                                      long& levelDifference) {
  for (long level = start; level >= 0; --level) {
    const HRESULT hr = TryOpenZoomlevelFound(opener, level, extended);
    if (SUCCEEDED(hr)) {
      levelDifference = start - level;
      return S_OK;
    }
    if (hr == kStopCode) {
      opener.ReportWalkFailure(kLineStopSmallestWalk, hr, u"CDicomZorvelImpl::TryOpenSmallestZoomlevelFound");
      return hr;
    }
  }
  return E_FAIL;
}

HRESULT TryOpenNormalOrExtendedSmallestZoomlevelFound(ZoomLevelOpener& opener, long start) {
  constexpr const char16_t* kFunction = u"CDicomZorvelImpl::TryOpenNormalOrExtendedSmallestZoomlevelFound";
  long levelDifference = 0;
  HRESULT hr = TryOpenSmallestZoomlevelFound(opener, start, false, levelDifference);
  if (SUCCEEDED(hr)) return S_OK;
  if (hr == kStopCode) {
    opener.ReportWalkFailure(kLineStopNormalWalk, hr, kFunction);
    return hr;
  }
  hr = TryOpenSmallestZoomlevelFound(opener, start, true, levelDifference);
  if (SUCCEEDED(hr)) return S_OK;
  if (hr != kStopCode) hr = E_FAIL;
  opener.ReportWalkFailure(kLineExtendedWalk, hr, kFunction);
  return hr;
}

HRESULT TryOpenExtendedAndNormalSmallestZoomlevelFound(ZoomLevelOpener& opener, long start,
                                                       long& levelDifference) {
  long extendedDifference = 0;
  long normalDifference = 0;
  const HRESULT extendedResult = TryOpenSmallestZoomlevelFound(opener, start, true, extendedDifference);
  const HRESULT normalResult = TryOpenSmallestZoomlevelFound(opener, start, false, normalDifference);
  if (extendedResult == kStopCode || normalResult == kStopCode) {
    opener.ReportWalkFailure(kLineStopBothWalks, kStopCode,
                             u"CDicomZorvelImpl::TryOpenExtendedAndNormalSmallestZoomlevelFound");
    return kStopCode;
  }
  if (SUCCEEDED(normalResult)) {
    levelDifference = normalDifference;
    return S_OK;
  }
  if (SUCCEEDED(extendedResult)) {
    levelDifference = extendedDifference;
    return S_OK;
  }
  return E_FAIL;
}

}  // namespace ZoomLevelWalks

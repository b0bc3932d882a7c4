// Test double of the slide library's level opening: a slide-access object whose levels answer
// with scripted codes (or throw) and otherwise open the real generated slide.
#pragma once

#include <map>
#include <stdexcept>
#include <utility>

#include "DicomZorvel.h"

namespace module_test {

class ScriptedSlideAccess : public CDicomZorvel {
 public:
  static constexpr long kThrow = 1;  // scripted answer: the library throws

  std::map<std::pair<long, bool>, long> scripted;  // (level, extended) -> code
  int libraryCalls = 0;

  using CDicomZorvelImpl::m_bExtendedFocus;
  using CDicomZorvelImpl::m_caches;
  using CDicomZorvelImpl::m_bSlideOpen;
  using CDicomZorvelImpl::m_bTiledFull;
  using CDicomZorvelImpl::m_channelCount;
  using CDicomZorvelImpl::m_extendedZoomImages;
  using CDicomZorvelImpl::m_failedZoomLevels;
  using CDicomZorvelImpl::m_focusLevelOffsets;
  using CDicomZorvelImpl::m_normalZoomImages;
  using CDicomZorvelImpl::m_pCurrentZoomImage;
  using CDicomZorvelImpl::m_spDirectorySource;
  using CDicomZorvelImpl::m_tileHeight;
  using CDicomZorvelImpl::m_tileWidth;
  using CDicomZorvelImpl::m_zeroFocusLevel;
  using CDicomZorvelImpl::m_zStackCount;

 protected:
  long OpenLibraryZoomLevel(CWSIZoomImage& image, bool extended, long level) override {
    ++libraryCalls;
    auto it = scripted.find({level, extended});
    if (it == scripted.end()) return CDicomZorvel::OpenLibraryZoomLevel(image, extended, level);
    if (it->second == kThrow) throw std::runtime_error("scripted failure");
    return it->second;
  }
};

}  // namespace module_test

// One slide opened through ZorvelDicom.so for the Python package: the slide object, the regions it
// renders into caller memory, raw tiles, single images, channel properties and annotations.
// Free-threaded: any number of calls at once; Close waits for running calls and later calls fail.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <vector>

#include <ZorvelDicom/ZorvelDicom.h>

#include <zplatform/com_ptr.h>

#include "AnnotationReader.h"
#include "ModuleHost.h"
#include "RegionLayout.h"

namespace zorvel_py {

using zorvel_cli::CallResult;

// Channel arguments of a region: the module's channel numbers (-1 none) and an optional focus plane
// given relative to the slide's middle plane.
struct ChannelSelection {
  LONG red = 2, green = 1, blue = 0;
  bool hasFocus = false;
  LONG focus = 0;
};

struct RawTile {
  E_KLVImageType type = D_KLV_IT_NumOF;
  std::vector<std::uint8_t> bytes;
};

// A decoded single image or a rendered bitmap copied out: rows of width * 3 bytes, R, G, B.
struct RgbImage {
  LONG width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};

class SlideHandle {
 public:
  // Loads the module (first use in the process) and opens `slideDir`; the slide's files are read by
  // the first property request, which Open makes so that a bad directory fails here.
  CallResult Open(const std::filesystem::path& modulePath, const std::filesystem::path& slideDir);
  void Close();

  // Property directory and one property as text (zorvel_cli's formatting); `found` false for EMPTY.
  CallResult PropertyTags(std::vector<std::pair<LONG, std::string>>& tags);
  CallResult PropertyText(LONG tag, std::string& type, std::string& value);
  CallResult PutBoolProperty(LONG key, bool value);

  // Renders `region` (level pixels) into `layout`; pixels outside the level are left as they are.
  CallResult ReadRegion(const RegionRequest& region, const ChannelSelection& channels, const DestinationLayout& layout);

  CallResult ReadRawTile(LONG level, LONG column, LONG row, LONG focus, RawTile& tile);
  CallResult ReadSingleImage(LONG type, RgbImage& image);
  CallResult SingleImageExists(LONG type, bool& exists);
  CallResult ChannelPropertyText(LONG tag, LONG channel, std::string& type, std::string& value);
  CallResult ReadAnnotations(zorvel_cli::SlideAnnotations& annotations);

 private:
  // The slide object while open; null after Close. Callers hold m_closing shared while they use it.
  ComPtr<IKLVZorvel3> Slide(std::shared_lock<std::shared_mutex>& lock);
  // An idle bitmap and the size of its last rendering: a bitmap of the size a call needs is
  // rendered into without being allocated (and its pages faulted in) again.
  struct IdleBitmap {
    ComPtr<IKLVBitmapImage> bitmap;
    LONG width = 0, height = 0;
  };
  ComPtr<IKLVBitmapImage> TakeBitmap(LONG width, LONG height);
  void ReturnBitmap(ComPtr<IKLVBitmapImage> bitmap, LONG width, LONG height);

  zorvel_cli::ModuleHost m_host;
  std::shared_mutex m_closing;      // shared by every call, exclusive while Close releases the slide
  ComPtr<IKLVZorvel3> m_slide;      // guarded by m_closing
  std::mutex m_poolMutex;           // guards m_bitmaps
  std::vector<IdleBitmap> m_bitmaps;  // oldest first
};

}  // namespace zorvel_py

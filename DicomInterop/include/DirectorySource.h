// CDirectorySource: the slide library's view of one slide directory. Scans the DICOM files
// once (datasets only), groups VOLUME instances of one series into a pyramid, and serves
// levels, single images, scan maps, annotations and metadata. Not thread-safe for concurrent
// calls except where noted; zoom images it opened stay valid after Close or destruction.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CommonWSIMetadata.h"
#include "DicomInteropApi.h"
#include "DicomInteropDefines.h"
#include "WSIAnnotations.h"

namespace dicominterop {
class SourceState;
}

class DICOMINTEROP_API CDirectorySource {
 public:
  // Scans `path` (and its subdirectories when `searchSubdirectories`). *slideCount = the number
  // of distinct pyramids (series with VOLUME instances); the largest one is served.
  // *result = 0, or WSI_E_PATH when `path` is no directory. `tileWidth`/`tileHeight` are the
  // caller's grid tile size (kept, not used for reading). With `includeSingleImages` false,
  // label, overview, thumbnail and annotations are ignored; with `strict`, instances lacking
  // mandatory WSI attributes are skipped instead of read with defaults.
  CDirectorySource(const std::u16string& path, uint32_t tileWidth, uint32_t tileHeight,
                   long* slideCount, bool searchSubdirectories, long* result,
                   bool includeSingleImages, bool strict);
  ~CDirectorySource();
  CDirectorySource(const CDirectorySource&) = delete;
  CDirectorySource& operator=(const CDirectorySource&) = delete;

  long IsExtendedFocus(bool* extendedFocus) const;
  CCommonWSIMetadata GetKSLFProprietaryProperties() const;
  long GetSlideUID(std::u16string* uid) const;            // Series Instance UID of the pyramid
  uint64_t GetSlideSize() const;                          // bytes of all files of the slide
  bool GetIsValidSlideSize() const;
  // Levels the normal image has, ascending; entries released with Free.
  long GetRawZoomList(uint16_t** levels, uint32_t* count) const;
  // One byte per tile of level `level`: 255 where any tile is stored, 0 elsewhere; width and
  // height in tiles. False when the level is absent. Buffer released with Free.
  bool GetScanmap(uint8_t** map, int32_t level, uint32_t* width, uint32_t* height) const;

  // Single images (first frame, or the whole pixel matrix of an uncompressed tiled image):
  // data released with Free, its size, transfer syntax, samples per pixel, bits allocated,
  // width, height; the label also gives Label Text (null when absent; released with Free).
  bool GetLabelImage(uint8_t** data, uint64_t* size, DicomInteropDefines::EWSITransferSyntaxes* syntax,
                     uint16_t* samplesPerPixel, uint16_t* bitsAllocated, uint16_t* width,
                     uint16_t* height, char16_t** labelText) const;
  bool GetOverviewImage(uint8_t** data, uint64_t* size, DicomInteropDefines::EWSITransferSyntaxes* syntax,
                        uint16_t* samplesPerPixel, uint16_t* bitsAllocated, uint16_t* width,
                        uint16_t* height) const;
  bool GetGeneratedPreviewImage(uint8_t** data, uint64_t* size,
                                DicomInteropDefines::EWSITransferSyntaxes* syntax, uint16_t* samplesPerPixel,
                                uint16_t* bitsAllocated, uint16_t* width, uint16_t* height) const;

  // Read-ahead: with pre-reading on, each PreLoadNextChunk asks the kernel to read ahead one
  // chunk of the pixel data of level `level` (focus -1: extended-focus image, else that focal
  // plane) and answers true once the level is covered (at once when pre-reading is off).
  // Safe to call from another thread than the other calls.
  void SetPreReading(bool enabled);
  bool PreLoadNextChunk(int32_t focus, int32_t level);
  // DICOM tiles are addressed by row and column, never by Morton code: *incremental = false.
  long IsIncrementalMortonCode(bool* incremental) const;

  // Files of the scanned directory that hold DICOM but could not be read (files of SOP classes
  // the library does not use are not counted): their paths and codes. *largestLevelHidden =
  // whether one of them is a pyramid image of the served slide wider than its widest readable
  // level, so that the slide's full resolution is missing. Null arguments are left out.
  // WSI_OK or WSI_E_OUTOFMEMORY.
  long GetUnreadableFiles(std::vector<std::u16string>* paths, std::vector<long>* codes,
                          bool* largestLevelHidden) const;

  // Bulk simple annotations that reference the slide (an empty set when there are none).
  long GetAnnotationInstance(CWSIAnnotations* annotations) const;
  long Close();

  // Internal state shared with CWSIZoomImage.
  std::shared_ptr<dicominterop::SourceState> State() const { return m_state; }

 private:
  std::shared_ptr<dicominterop::SourceState> m_state;
};

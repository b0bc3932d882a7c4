// Shared helpers of the slide-library tests: real test files, generated slides (the project's
// generator), pydicom's frames as the independent reference, byte files and tile reads.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DicomInterop.h"

namespace slidetest {

using Bytes = std::vector<uint8_t>;

// Folder of the real test files (empty when absent).
std::string RealSlideDir(const std::string& folder);
// Generates (once per build tree) a slide with make_test_slide.py; returns its directory.
std::string GeneratedSlide(const std::string& name, const std::string& options);
// A fresh empty scratch directory below the build tree.
std::string ScratchDir(const std::string& name);

std::string Run(const std::string& command, int* status = nullptr);
Bytes ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const Bytes& bytes);

// Frames of one file as pydicom extracts them.
std::vector<Bytes> PydicomFrames(const std::string& file);

struct ReferenceFrame {
  std::string binFile;  // "missing" for a tile the slide leaves out
  int level, extended, plane, channel, row, column;
};
// Every VOLUME frame of a generated slide with its tile address (from its manifest).
std::vector<ReferenceFrame> PydicomSlideFrames(const std::string& slideDir);

std::unique_ptr<CDirectorySource> OpenSource(const std::string& dir, long* count, long* result,
                                             bool search = false);

struct TileRead {
  long result = 0, errorCode = 0;
  bool exists = false;
  Bytes bytes;
  bool nullData = true;
};
TileRead ReadTile(const CWSIZoomImage& image, uint32_t plane, uint32_t x, uint32_t y, uint32_t channel,
                  bool extended = false);

// The annotation columns of one GetAnnotations call.
struct AnnotationColumns {
  std::vector<bool> hasId, allPlanes;
  std::vector<std::string> ids;
  std::vector<int32_t> kinds;
  std::vector<uint32_t> colours;
  std::vector<std::u16string> captions, descriptions;
  std::vector<std::vector<double>> points, pointsZ;
  std::vector<std::vector<std::string>> texts;
  std::vector<double> measurements, firstZ;
  long Read(const CWSIAnnotations& a) {
    return a.GetAnnotations(hasId, ids, kinds, colours, captions, descriptions, points, texts, allPlanes,
                            measurements, firstZ, pointsZ);
  }
};

}  // namespace slidetest

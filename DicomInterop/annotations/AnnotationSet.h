// Annotations of one Microscopy Bulk Simple Annotations instance, already in the column form
// CWSIAnnotations hands out (one entry per annotation in every column). Immutable once read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dicominterop {

struct AnnotationSet {
  bool is3D = false;
  std::vector<bool> hasIdentifier;
  std::vector<std::string> identifiers;
  std::vector<int32_t> kinds;
  std::vector<uint32_t> colours;                 // 0x00RRGGBB
  std::vector<std::u16string> captions, descriptions;
  std::vector<std::vector<double>> points;       // x0, y0, x1, y1, ... (level-0 pixels)
  std::vector<std::vector<std::string>> texts;   // property category and type meanings
  std::vector<bool> appliesToAllPlanes;
  std::vector<double> measurements;              // NaN when the annotation has none
  std::vector<double> firstZ;                    // micrometres, 0 for 2D sets
  std::vector<std::vector<double>> pointsZ;      // z per point; left empty for 2D sets
};

}  // namespace dicominterop

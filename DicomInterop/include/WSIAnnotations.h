// CWSIAnnotations: the annotation set of a slide, from Microscopy Bulk Simple Annotations
// instances that reference it, delivered as twelve parallel columns. A copyable value.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "DicomInteropApi.h"

namespace dicominterop {
struct AnnotationSet;
}

// Annotation kinds of the kind column.
enum EWSIAnnotationKind : int32_t {
  WSI_ANNOTATION_POINT = 1,      // POINT: one point
  WSI_ANNOTATION_POLYLINE = 2,   // POLYLINE: open line (two points: a measurement)
  WSI_ANNOTATION_POLYGON = 3,    // POLYGON
  WSI_ANNOTATION_ELLIPSE = 4,    // ELLIPSE: end points of the major then the minor axis
  WSI_ANNOTATION_RECTANGLE = 5,  // RECTANGLE: four corners, closed outline
  WSI_ANNOTATION_TMA_MARKER = 6  // ELLIPSE of a group whose property type is a TMA core
};

class DICOMINTEROP_API CWSIAnnotations {
 public:
  CWSIAnnotations();
  ~CWSIAnnotations();
  CWSIAnnotations(const CWSIAnnotations&);
  CWSIAnnotations& operator=(const CWSIAnnotations&);

  // True when any annotation set of the slide has 3D coordinates.
  bool IsReal3D() const;

  // Fills one entry per annotation in each column: has identifier, identifier text (UUID form,
  // upper case), kind (EWSIAnnotationKind), colour 0x00RRGGBB, caption (group label), description
  // (group description), points (x0, y0, x1, y1, ... as stored: level-0 pixel columns and rows for
  // 2D sets, slide coordinates in millimetres for 3D sets), texts (property
  // category and type code meanings), applies to all focal planes, measurement value (NaN when
  // none), z of the first point (micrometres; 0 for 2D), and z per point (empty column for 2D sets).
  // Colour: the group's Recommended Display CIELab Value as sRGB, yellow when the group has none.
  long GetAnnotations(std::vector<bool>& hasIdentifier, std::vector<std::string>& identifiers,
                      std::vector<int32_t>& kinds, std::vector<uint32_t>& colours,
                      std::vector<std::u16string>& captions, std::vector<std::u16string>& descriptions,
                      std::vector<std::vector<double>>& points, std::vector<std::vector<std::string>>& texts,
                      std::vector<bool>& appliesToAllPlanes, std::vector<double>& measurements,
                      std::vector<double>& firstZ, std::vector<std::vector<double>>& pointsZ) const;
  long Close();

  // Library-internal: assigns the parsed sets.
  void Assign(std::shared_ptr<const std::vector<std::shared_ptr<const dicominterop::AnnotationSet>>> sets);

 private:
  std::shared_ptr<const std::vector<std::shared_ptr<const dicominterop::AnnotationSet>>> m_sets;
};

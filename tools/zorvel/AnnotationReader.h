// The slide's annotations as a host reads them: the annotations object of configuration key 1009,
// its flag records (kind, bounding rectangle, attributes) and its TMA markers.
#pragma once

#include <string>
#include <vector>

#include <ZorvelDicom/ZorvelDicom.h>

#include "ModuleHost.h"

namespace zorvel_cli {

struct AnnotationAttribute {
  std::string name;
  std::string text;       // the value's text
  bool isNumber = false;  // VT_I4 values are numbers, texts are not
};

struct FlagRecord {
  std::string id;    // ObjectGUID
  std::string kind;  // "SlideFlag", "MeasureingBookmark", "PolygonBookmark"
  LONG left = 0, top = 0, right = 0, bottom = 0;
  std::vector<AnnotationAttribute> attributes;
};

struct TmaMarker {
  std::string name, comment;
  LONG x = 0, y = 0, innerDiameter = 0, outerDiameter = 0, lineColor = 0;
};

struct SlideAnnotations {
  std::vector<FlagRecord> flags;
  std::vector<TmaMarker> markers;
};

CallResult ReadAnnotations(IKLVZorvel* slide, SlideAnnotations& annotations);

}  // namespace zorvel_cli

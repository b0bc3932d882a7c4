// The annotation records the annotations object serves, loaded from the slide library's column
// form: flag records (every kind but TMA markers) and TMA records, with the pure rules on them:
// identifier texts, attribute lists per kind, bounding rectangles and TMA geometry.
// Plain values, no COM; no function reads beyond a record's own points.
#pragma once

#include <guiddef.h>
#include <winerror.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class CWSIAnnotations;

namespace AnnotationRecords {

enum Kind : int32_t { kSlideFlag = 1, kPolyline = 2, kPolygon = 3, kEllipse = 4, kClosedOutline = 5, kTmaMarker = 6 };

struct FlagRecord {
  bool hasIdentifier = false;
  std::string identifier;       // upper-case GUID text, 36 characters
  int32_t kind = 0;
  uint32_t colour = 0;          // COLORREF, 0x00BBGGRR
  std::u16string caption, description;
  std::vector<double> points;   // x0, y0, x1, y1, ... in level-0 pixels
};

struct TmaRecord {
  std::string identifier;       // as the library delivers it
  uint32_t colour = 0;          // COLORREF
  std::u16string name, comment;
  std::vector<double> points;
};

// Fill `records` from the library (replacing their content); E_FAIL when the library call or the
// copying fails. A flag record without an identifier gets a newly created one.
HRESULT LoadFlagRecords(const CWSIAnnotations& source, std::vector<FlagRecord>& records);
HRESULT LoadTmaRecords(const CWSIAnnotations& source, std::vector<TmaRecord>& records);

// 0x00RRGGBB <-> 0x00BBGGRR.
uint32_t SwapRedAndBlue(uint32_t colour);

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" in upper case, without braces.
std::string FormatGuid(const GUID& guid);
// The reverse of FormatGuid (either case); false unless the text has exactly 36 characters and
// every field reads as hexadecimal.
bool ParseGuid(std::string_view text, GUID& guid);

// One entry of an attribute list: its name and an empty, integer or text value.
struct Attribute {
  std::u16string name;
  std::variant<std::monostate, int32_t, std::u16string> value;
};
struct AttributeList {
  std::u16string type;  // "SlideFlag", "MeasureingBookmark" or "PolygonBookmark"
  std::vector<Attribute> entries;
};

// The attributes of a record by its kind; false for a kind other than 1 to 5.
bool BuildAttributes(const FlagRecord& record, AttributeList& list);

// The 61 points (x, y pairs) that stand for an ellipse given by the end points of its two axes
// (x0, y0, x1, y1, x2, y2, x3, y3), aligned with the x and y axes; empty with fewer than four points.
std::vector<double> EllipsePolygon(const std::vector<double>& axes);

// A coordinate as a 32-bit integer, truncated toward zero and held to the 32-bit range (NaN gives 0).
int32_t TruncateToInt32(double value);

struct BoundRect {
  int32_t left = 2147483647, top = 2147483647, right = -2147483647 - 1, bottom = -2147483647 - 1;
};
BoundRect BoundingRectangle(const std::vector<double>& points);

// TMA marker geometry; points 0 and 1 span the outer diameter, points 4 and 5 the inner one.
// False when the record has fewer than six points.
bool TmaDiameters(const TmaRecord& record, double pixelWidth, int32_t& outer, int32_t& inner);
bool TmaCentre(const TmaRecord& record, int32_t& x, int32_t& y);

}  // namespace AnnotationRecords

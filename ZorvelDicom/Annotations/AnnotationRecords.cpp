// Loading of the annotation records from the library's columns and the pure rules on them
// (see AnnotationRecords.h).
#include "Annotations/AnnotationRecords.h"

#include <WSIAnnotations.h>
#include <base/SeComHelper.h>

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <numbers>

namespace AnnotationRecords {
namespace {

constexpr size_t kGuidTextLength = 36;
constexpr int kEllipseSteps = 59;

// The twelve columns of the library's annotation query.
struct Columns {
  std::vector<bool> hasIdentifier;
  std::vector<std::string> identifiers;
  std::vector<int32_t> kinds;
  std::vector<uint32_t> colours;
  std::vector<std::u16string> captions, descriptions;
  std::vector<std::vector<double>> points;
  std::vector<std::vector<std::string>> texts;
  std::vector<bool> appliesToAllPlanes;
  std::vector<double> measurements, firstZ;
  std::vector<std::vector<double>> pointsZ;

  // The number of annotations every used column has an entry for; E_FAIL when the call fails.
  HRESULT Read(const CWSIAnnotations& source, size_t& count) {
    if (source.GetAnnotations(hasIdentifier, identifiers, kinds, colours, captions, descriptions, points, texts,
                              appliesToAllPlanes, measurements, firstZ, pointsZ) != 0) {
      return E_FAIL;
    }
    count = kinds.size();
    for (size_t size : {hasIdentifier.size(), identifiers.size(), colours.size(), captions.size(),
                        descriptions.size(), points.size()}) {
      if (size != count) return E_FAIL;
    }
    return S_OK;
  }
};

std::string NewIdentifier() {
  CSeGuidString guid;
  if (FAILED(guid.CreateNewGUID())) throw std::bad_alloc();
  return FormatGuid(guid.GetGuid());
}

template <class Integer>
bool ParseHex(std::string_view text, Integer& value) {
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return std::from_chars(text.data(), text.data() + text.size(), value, 16).ec == std::errc();
}

std::u16string IndexedName(const char* pattern, size_t index) {
  char text[32];
  std::snprintf(text, sizeof text, pattern, static_cast<int>(index));
  return std::u16string(text, text + std::char_traits<char>::length(text));
}

void AppendHeader(const FlagRecord& record, AttributeList& list) {
  const auto colour = static_cast<int32_t>(record.colour);
  list.entries = {{u"Caption", record.caption}, {u"Desc", record.description}, {u"LineColor", colour},
                  {u"TextFillColor", colour},  {u"TextBoxX", 0},                {u"TextBoxY", 0}};
}

// The points a record reports, by kind: the ellipse as a polygon, the outline closed.
std::vector<double> ReportedPoints(const FlagRecord& record) {
  const size_t pairs = record.points.size() / 2;
  std::vector<double> points(record.points.begin(), record.points.begin() + static_cast<ptrdiff_t>(2 * pairs));
  if (record.kind == kEllipse && pairs >= 4) return EllipsePolygon(record.points);
  if (record.kind == kClosedOutline && pairs > 0) {
    points.push_back(points[0]);
    points.push_back(points[1]);
  }
  return points;
}

}  // namespace

namespace {

// Reads the annotation columns once and keeps the rows `take` turns into records (a row it skips
// returns false). Any failure leaves `records` empty.
template <typename Record, typename Take>
HRESULT LoadRecords(const CWSIAnnotations& source, std::vector<Record>& records, Take take) {
  try {
    records.clear();
    Columns columns;
    size_t count = 0;
    if (FAILED(columns.Read(source, count))) return E_FAIL;
    for (size_t i = 0; i < count; ++i) {
      Record record;
      if (take(columns, i, record)) records.push_back(std::move(record));
    }
    return S_OK;
  } catch (...) {
    records.clear();
    return E_FAIL;
  }
}

}  // namespace

HRESULT LoadFlagRecords(const CWSIAnnotations& source, std::vector<FlagRecord>& records) {
  return LoadRecords(source, records, [](Columns& columns, size_t i, FlagRecord& record) {
    if (columns.kinds[i] == kTmaMarker) return false;
    record.hasIdentifier = columns.hasIdentifier[i];
    record.identifier = record.hasIdentifier ? columns.identifiers[i] : NewIdentifier();
    record.kind = columns.kinds[i];
    record.colour = SwapRedAndBlue(columns.colours[i]);
    record.caption = std::move(columns.captions[i]);
    record.description = std::move(columns.descriptions[i]);
    record.points = std::move(columns.points[i]);
    return true;
  });
}

HRESULT LoadTmaRecords(const CWSIAnnotations& source, std::vector<TmaRecord>& records) {
  return LoadRecords(source, records, [](Columns& columns, size_t i, TmaRecord& record) {
    if (columns.kinds[i] != kTmaMarker) return false;
    record = {std::move(columns.identifiers[i]), SwapRedAndBlue(columns.colours[i]), std::move(columns.captions[i]),
              std::move(columns.descriptions[i]), std::move(columns.points[i])};
    return true;
  });
}

uint32_t SwapRedAndBlue(uint32_t colour) {
  return (colour & 0xFF00FF00u) | ((colour & 0xFFu) << 16) | ((colour >> 16) & 0xFFu);
}

std::string FormatGuid(const GUID& g) {
  char text[kGuidTextLength + 1];
  std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", static_cast<unsigned>(g.Data1),
                g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                g.Data4[7]);
  return std::string(text, kGuidTextLength);
}

bool ParseGuid(std::string_view text, GUID& guid) {
  if (text.size() != kGuidTextLength || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') {
    return false;
  }
  GUID parsed{};
  bool ok = ParseHex(text.substr(0, 8), parsed.Data1) && ParseHex(text.substr(9, 4), parsed.Data2) &&
            ParseHex(text.substr(14, 4), parsed.Data3);
  static constexpr size_t kByteOffsets[] = {19, 21, 24, 26, 28, 30, 32, 34};
  for (size_t i = 0; ok && i < 8; ++i) ok = ParseHex(text.substr(kByteOffsets[i], 2), parsed.Data4[i]);
  if (ok) guid = parsed;
  return ok;
}

bool BuildAttributes(const FlagRecord& record, AttributeList& list) {
  if (record.kind < kSlideFlag || record.kind > kClosedOutline) return false;
  AppendHeader(record, list);
  if (record.kind == kSlideFlag) {
    list.type = u"SlideFlag";
    list.entries.push_back({u"Direction", 1});
    list.entries.push_back({});
    return true;
  }
  const bool measurement = record.kind == kPolyline && record.points.size() / 2 == 2;
  list.type = measurement ? u"MeasureingBookmark" : u"PolygonBookmark";
  const char* xName = measurement ? "PointX%d" : "PolygonPointX%d";
  const char* yName = measurement ? "PointY%d" : "PolygonPointY%d";
  const std::vector<double> points = ReportedPoints(record);
  const size_t count = points.size() / 2;
  list.entries.push_back({u"PolygonPointCount", static_cast<int32_t>(count)});
  for (size_t j = 0; j < count; ++j) {
    list.entries.push_back({IndexedName(xName, j), TruncateToInt32(points[2 * j])});
    list.entries.push_back({IndexedName(yName, j), TruncateToInt32(points[2 * j + 1])});
  }
  return true;
}

std::vector<double> EllipsePolygon(const std::vector<double>& p) {
  if (p.size() < 8) return {};
  const double cx = (p[0] + p[2]) / 2, cy = (p[1] + p[3]) / 2;
  const double a = std::hypot(p[2] - p[0], p[3] - p[1]) / 2;
  const double b = std::hypot(p[6] - p[4], p[7] - p[5]) / 2;
  std::vector<double> polygon;
  polygon.reserve(2 * (kEllipseSteps + 2));
  for (int k = 0; k <= kEllipseSteps; ++k) {
    const double t = k * (-2 * std::numbers::pi) / static_cast<double>(kEllipseSteps);
    polygon.push_back(a * std::cos(t) + cx);
    polygon.push_back(b * std::sin(t) + cy);
  }
  polygon.push_back(polygon[0]);
  polygon.push_back(polygon[1]);
  return polygon;
}

int32_t TruncateToInt32(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kLowest = std::numeric_limits<int32_t>::min(), kHighest = std::numeric_limits<int32_t>::max();
  if (value <= kLowest) return std::numeric_limits<int32_t>::min();
  if (value >= kHighest) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(value);
}

BoundRect BoundingRectangle(const std::vector<double>& points) {
  BoundRect rect;
  for (size_t j = 0; j + 1 < points.size(); j += 2) {
    const int32_t x = TruncateToInt32(points[j]), y = TruncateToInt32(points[j + 1]);
    if (points[j] < rect.left) rect.left = x;
    if (points[j] > rect.right) rect.right = x;
    if (points[j + 1] < rect.top) rect.top = y;
    if (points[j + 1] > rect.bottom) rect.bottom = y;
  }
  return rect;
}

bool TmaDiameters(const TmaRecord& record, double pixelWidth, int32_t& outer, int32_t& inner) {
  const std::vector<double>& p = record.points;
  if (p.size() < 12) return false;
  outer = TruncateToInt32(std::fabs(p[2] - p[0]) * pixelWidth + 0.5);
  inner = TruncateToInt32(std::fabs(p[10] - p[8]) * pixelWidth + 0.5);
  return true;
}

bool TmaCentre(const TmaRecord& record, int32_t& x, int32_t& y) {
  const std::vector<double>& p = record.points;
  if (p.size() < 12) return false;
  x = TruncateToInt32((p[0] + p[2]) / 2 + 0.5);
  y = TruncateToInt32((p[1] + p[3]) / 2 + 0.5);
  return true;
}

}  // namespace AnnotationRecords

// GeoJSON of flag records and TMA markers.
#include "AnnotationGeoJson.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "JsonText.h"

namespace zorvel_serve {
namespace {

using Point = std::pair<long long, long long>;

// Points named PointX<i>/PointY<i> or PolygonPointX<i>/PolygonPointY<i>, in order.
std::vector<Point> PointsOf(const zorvel_cli::FlagRecord& flag) {
  std::vector<Point> points;
  for (const zorvel_cli::AnnotationAttribute& attribute : flag.attributes) {
    const std::string& name = attribute.name;
    const std::size_t axis = name.rfind("PointX", 0) == 0 ? 5 : name.rfind("PolygonPointX", 0) == 0 ? 12 : 0;
    const std::size_t yAxis = name.rfind("PointY", 0) == 0 ? 5 : name.rfind("PolygonPointY", 0) == 0 ? 12 : 0;
    if (axis == 0 && yAxis == 0) continue;
    const long long value = std::stoll(attribute.text);
    if (axis != 0) {
      points.emplace_back(value, 0);
    } else if (!points.empty()) {
      points.back().second = value;
    }
  }
  return points;
}

std::string Coordinates(const std::vector<Point>& points) {
  std::string text = "[";
  for (std::size_t i = 0; i < points.size(); ++i) {
    text.append(i ? ",[" : "[").append(std::to_string(points[i].first)).append(",").append(std::to_string(points[i].second)).append("]");
  }
  return text + "]";
}

// COLORREF 0x00BBGGRR as #RRGGBB.
std::string Colour(const zorvel_cli::FlagRecord& flag) {
  for (const zorvel_cli::AnnotationAttribute& attribute : flag.attributes) {
    if (attribute.name != "LineColor") continue;
    const unsigned long value = std::stoul(attribute.text);
    char text[16];
    std::snprintf(text, sizeof text, "#%02lX%02lX%02lX", value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
    return text;
  }
  return "#000000";
}

std::string Attribute(const zorvel_cli::FlagRecord& flag, const char* name) {
  for (const zorvel_cli::AnnotationAttribute& attribute : flag.attributes) {
    if (attribute.name == name) return attribute.text;
  }
  return {};
}

std::string FlagGeometry(const zorvel_cli::FlagRecord& flag) {
  std::vector<Point> points = PointsOf(flag);
  if (flag.kind == "SlideFlag" || points.empty()) {
    return "{\"type\":\"Point\",\"coordinates\":[" + std::to_string(flag.left) + "," + std::to_string(flag.top) + "]}";
  }
  if (points.size() >= 4 && points.front() == points.back()) {
    return "{\"type\":\"Polygon\",\"coordinates\":[" + Coordinates(points) + "]}";
  }
  return "{\"type\":\"LineString\",\"coordinates\":" + Coordinates(points) + "}";
}

}  // namespace

std::string ToGeoJson(const zorvel_cli::SlideAnnotations& annotations) {
  using zorvel_cli::JsonString;
  std::string body = "{\"type\":\"FeatureCollection\",\"features\":[";
  bool first = true;
  for (const zorvel_cli::FlagRecord& flag : annotations.flags) {
    body.append(first ? "" : ",").append("{\"type\":\"Feature\",\"id\":").append(JsonString(flag.id));
    body.append(",\"geometry\":").append(FlagGeometry(flag));
    body.append(",\"properties\":{\"kind\":").append(JsonString(flag.kind));
    body.append(",\"caption\":").append(JsonString(Attribute(flag, "Caption")));
    body.append(",\"description\":").append(JsonString(Attribute(flag, "Desc")));
    body.append(",\"color\":").append(JsonString(Colour(flag))).append("}}");
    first = false;
  }
  for (const zorvel_cli::TmaMarker& marker : annotations.markers) {
    body.append(first ? "" : ",").append("{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[");
    body.append(std::to_string(marker.x)).append(",").append(std::to_string(marker.y)).append("]}");
    body.append(",\"properties\":{\"kind\":\"TMAMarker\",\"caption\":").append(JsonString(marker.name));
    body.append(",\"description\":").append(JsonString(marker.comment));
    body.append(",\"inner_diameter_um\":").append(std::to_string(marker.innerDiameter));
    body.append(",\"outer_diameter_um\":").append(std::to_string(marker.outerDiameter)).append("}}");
    first = false;
  }
  return body + "]}\n";
}

}  // namespace zorvel_serve

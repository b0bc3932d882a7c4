// Bulk simple annotations -> AnnotationSet columns. Graphic types map to kinds: POINT 1,
// POLYLINE 2, POLYGON 3, ELLIPSE 4, RECTANGLE 5; a group whose property type or label names a
// tissue microarray ("TMA", "tissue microarray") gives TMA markers (kind 6) of six points: the
// ends of the horizontal and vertical outer diameters and of the horizontal inner diameter.
// Markers stored with fewer points (a POINT, an ELLIPSE) repeat them to make up the six.
#include "AnnotationReader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "../dataset/Attributes.h"
#include "../dataset/TextConversion.h"

namespace dicominterop {
namespace {

struct Group {
  int32_t kind = 0;
  uint32_t pointsPerAnnotation = 0;  // 0: variable, from the point index list
};

Group GroupKind(const std::string& graphicType) {
  if (graphicType == "POINT") return {1, 1};
  if (graphicType == "POLYLINE") return {2, 0};
  if (graphicType == "POLYGON") return {3, 0};
  if (graphicType == "ELLIPSE") return {4, 4};
  if (graphicType == "RECTANGLE") return {5, 4};
  return {};
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

bool IsTmaGroup(const std::string& label, const std::string& typeMeaning) {
  const std::string text = Lower(label + " " + typeMeaning);
  return text.find("tissue microarray") != std::string::npos || Lower(typeMeaning).find("tma") != std::string::npos ||
         text.rfind("tma", 0) == 0;
}

std::vector<double> Coordinates(const Dataset& group) {
  const std::vector<uint8_t> doubles = attr::Bytes(group, Tag(0x0066, 0x0022));
  std::vector<double> values;
  if (!doubles.empty()) {
    values.resize(doubles.size() / 8);
    if (!values.empty()) std::memcpy(values.data(), doubles.data(), values.size() * 8);
    return values;
  }
  const std::vector<uint8_t> floats = attr::Bytes(group, Tag(0x0066, 0x0016));
  values.resize(floats.size() / 4);
  for (size_t i = 0; i < values.size(); ++i) {
    float f;
    std::memcpy(&f, floats.data() + i * 4, 4);
    values[i] = f;
  }
  return values;
}

// Start (0-based value index) of each annotation's coordinates, plus the end of the last.
std::vector<size_t> AnnotationStarts(const Dataset& group, const Group& kind, size_t count, size_t dims,
                                     size_t valueCount) {
  std::vector<size_t> starts;
  if (kind.pointsPerAnnotation > 0) {
    for (size_t i = 0; i <= count; ++i) starts.push_back(i * kind.pointsPerAnnotation * dims);
  } else {
    const std::vector<uint8_t> bytes = attr::Bytes(group, Tag(0x0066, 0x0040));
    for (size_t i = 0; i + 4 <= bytes.size() && starts.size() < count; i += 4) {
      uint32_t oneBased;
      std::memcpy(&oneBased, bytes.data() + i, 4);
      starts.push_back(oneBased == 0 ? valueCount : oneBased - 1);
    }
    starts.push_back(valueCount);
  }
  return starts;
}

std::vector<double> Measurements(const Dataset& group, size_t count) {
  std::vector<double> values(count, NAN);
  attr::FirstItem measurement(group, Tag(0x0066, 0x0121));
  if (!measurement) return values;
  attr::FirstItem measured(*measurement, Tag(0x0066, 0x0132));
  if (!measured) return values;
  const std::vector<uint8_t> bytes = attr::Bytes(*measured, Tag(0x0066, 0x0125));
  if (bytes.size() / 4 != count) return values;
  for (size_t i = 0; i < count; ++i) {
    float f;
    std::memcpy(&f, bytes.data() + i * 4, 4);
    values[i] = f;
  }
  return values;
}

uint32_t GroupColour(const Dataset& group) {
  const std::vector<double> lab = attr::Numbers(group, Tag(0x0062, 0x000d));
  // Yellow when no display colour is recommended, or when a value does not fit 16 bits (damage).
  const auto fits = [](double v) { return v >= 0 && v <= 65535; };  // false for NaN
  if (lab.size() < 3 || !std::all_of(lab.begin(), lab.begin() + 3, fits)) return 0x00ffff00;
  return CieLabToRgb(static_cast<uint16_t>(lab[0]), static_cast<uint16_t>(lab[1]), static_cast<uint16_t>(lab[2]));
}

void AddAnnotation(AnnotationSet& set, const std::vector<double>& values, size_t begin, size_t end, size_t dims,
                   int32_t kind) {
  std::vector<double> xy, z;
  for (size_t v = begin; v + dims <= end; v += dims) {
    xy.push_back(values[v]);
    xy.push_back(values[v + 1]);
    if (dims == 3) z.push_back(values[v + 2]);
  }
  if (kind == 6 && xy.size() >= 2 && xy.size() < 12) {
    const std::vector<double> first(xy.begin(), xy.begin() + 2);
    while (xy.size() < 8) xy.insert(xy.end(), first.begin(), first.end());  // a point marker
    xy.resize(8);
    const std::vector<double> outer(xy.begin(), xy.begin() + 4);
    xy.insert(xy.end(), outer.begin(), outer.end());  // inner diameter = outer
  }
  set.kinds.push_back(kind);
  set.firstZ.push_back(z.empty() ? 0.0 : z.front());
  set.points.push_back(std::move(xy));
  if (set.is3D) set.pointsZ.push_back(std::move(z));
}

void ReadGroup(const Dataset& group, AnnotationSet& set) {
  Group kind = GroupKind(attr::Text(group, Tag(0x0070, 0x0023)));
  const size_t dims = set.is3D ? 3 : 2;
  const std::vector<double> values = Coordinates(group);
  const size_t count = static_cast<size_t>(attr::Number(group, Tag(0x006a, 0x000c)).value_or(0));
  if (kind.kind == 0 || values.empty() || count == 0 || count > values.size()) return;
  const std::string label = attr::Text(group, Tag(0x006a, 0x0005));
  const std::string category = attr::CodeMeaning(group, Tag(0x006a, 0x0009));
  const std::string type = attr::CodeMeaning(group, Tag(0x006a, 0x000a));
  if (IsTmaGroup(label, type)) kind.kind = 6;
  const std::vector<size_t> starts = AnnotationStarts(group, kind, count, dims, values.size());
  const std::vector<double> measured = Measurements(group, count);
  const std::string uid = attr::Text(group, Tag(0x006a, 0x0003));
  const bool allPlanes = attr::Text(group, Tag(0x006a, 0x000f)) == "YES";
  const uint32_t colour = GroupColour(group);
  for (size_t i = 0; i + 1 < starts.size() && i < count; ++i) {
    const size_t begin = starts[i], end = std::min(starts[i + 1], values.size());
    if (begin >= end) continue;
    AddAnnotation(set, values, begin, end, dims, kind.kind);
    set.identifiers.push_back(UuidTextOf(uid, i));
    set.hasIdentifier.push_back(!set.identifiers.back().empty());
    set.colours.push_back(colour);
    set.captions.push_back(ToUtf16(label));
    set.descriptions.push_back(ToUtf16(attr::Text(group, Tag(0x006a, 0x0006))));
    set.texts.push_back({category, type});
    set.appliesToAllPlanes.push_back(allPlanes);
    set.measurements.push_back(measured[i]);
  }
}

}  // namespace

std::shared_ptr<const AnnotationSet> ReadAnnotationSet(const Dataset& ds) {
  auto set = std::make_shared<AnnotationSet>();
  set->is3D = attr::Text(ds, Tag(0x006a, 0x0001)) == "3D";
  for (const Dataset& group : attr::Items(ds, Tag(0x006a, 0x0002))) ReadGroup(group, *set);
  return set;
}

void ReadAnnotationReferences(const Dataset& ds, InstanceInfo& info) {
  for (const Dataset& item : attr::Items(ds, Tag(0x0008, 0x1115))) {
    info.referencedSeries.push_back(attr::Text(item, Tag(0x0020, 0x000e)));
    for (const Dataset& instance : attr::Items(item, Tag(0x0008, 0x114a))) {
      info.referencedInstances.push_back(attr::Text(instance, Tag(0x0008, 0x1155)));
    }
  }
  for (const Dataset& image : attr::Items(ds, Tag(0x0008, 0x1140))) {
    info.referencedInstances.push_back(attr::Text(image, Tag(0x0008, 0x1155)));
  }
}

bool ReadAnnotations(const Dataset& ds, InstanceInfo& info) {
  ReadAnnotationReferences(ds, info);
  info.annotations = ReadAnnotationSet(ds);
  return info.annotations != nullptr;
}

}  // namespace dicominterop

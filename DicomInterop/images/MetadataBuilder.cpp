// Fills CCommonWSIMetadata for a served pyramid. Standard attributes win where the standard
// carries the value; the private block "ZORVEL WSI METADATA" fills the rest. Mapping:
//   CompressionFactor <- Lossy Image Compression Ratio (0028,2112), rounded
//   PhysicalMagnify <- Objective Lens Power (0048,0112) of the first optical path
//   ObjectiveName <- Lenses Code Sequence (0022,0019) code meaning
//   Barcode <- Barcode Value (2200,0005), LabelText <- Label Text (2200,0002) (label image first)
//   Channel<i>.Name <- Optical Path Description (0048,0107), else Optical Path Identifier
//   Channel<i>.ExcitationBandwidth / EmissionBandwidth <- Light / Image Path Filter Pass Band width
//   Channel<i>.ZStackStepCount <- focal planes of level 0; ZDiff <- distance of the first two planes
//   Channel<i>.ExtendedStepCount / ExtendedStepSize <- Number of Focal Planes (0048,0013) /
//     Distance Between Focal Planes (0048,0014) of the extended-depth-of-field image
#include "MetadataBuilder.h"

#include <algorithm>
#include <cmath>

#include "../dataset/TextConversion.h"
#include "../pyramid/LevelData.h"
#include "../pyramid/PyramidMath.h"

namespace dicominterop {
namespace {

void SetNumber(std::map<std::string, std::string>& values, const char* key, double value) {
  if (std::isfinite(value)) values[key] = ShortestDecimal(value);
}

void SetText(std::map<std::string, std::string>& values, const char* key, const std::string& text) {
  if (!text.empty()) values[key] = text;
}

std::vector<std::shared_ptr<const InstanceInfo>> Level0(const Pyramid& pyramid, bool extended) {
  std::vector<std::shared_ptr<const InstanceInfo>> level;
  for (const auto& v : pyramid.volumes) {
    if (v->extendedDepthOfField == extended && PyramidLevelOf(pyramid.level0Width, v->totalColumns) == 0) level.push_back(v);
  }
  std::sort(level.begin(), level.end(), [](const auto& a, const auto& b) {
    return std::tie(a->concatenationUid, a->concatenationFrameOffset, a->path) <
           std::tie(b->concatenationUid, b->concatenationFrameOffset, b->path);
  });
  return level;
}

void FillChannel(const LevelData& level, size_t i, const InstanceInfo* edf, CKSLFProprietaryChannelData& record) {
  const OpticalPath& path = level.channels[i];
  auto& v = record.m_values;
  SetText(v, "Name", path.description.empty() ? path.identifier : path.description);
  SetNumber(v, "ExcitationBandwidth", path.lightBandHigh - path.lightBandLow);
  SetNumber(v, "EmissionBandwidth", path.imageBandHigh - path.imageBandLow);
  SetNumber(v, "ZStackStepCount", static_cast<double>(level.planeZ.size()));
  if (level.planeZ.size() >= 2) SetNumber(v, "ZDiff", level.planeZ[1] - level.planeZ[0]);
  if (edf && edf->edfFocalPlanes > 0) SetNumber(v, "ExtendedStepCount", edf->edfFocalPlanes);
  if (edf) SetNumber(v, "ExtendedStepSize", edf->edfPlaneDistance);
}

void MergePrivateBlock(const std::map<std::string, std::string>& block, CCommonWSIMetadata& metadata) {
  for (const auto& [key, value] : block) {
    if (key.rfind("Channel", 0) == 0 && key.find('.') != std::string::npos) {
      const size_t dot = key.find('.');
      const auto index = ParseNumber(std::string_view(key).substr(7, dot - 7));
      if (!index || *index < 0 || *index >= static_cast<double>(metadata.m_channels.size())) continue;
      metadata.m_channels[static_cast<size_t>(*index)].m_values.emplace(key.substr(dot + 1), value);
    } else {
      metadata.m_values.emplace(key, value);
    }
  }
}

}  // namespace

CCommonWSIMetadata BuildMetadata(const Pyramid& pyramid, const InstanceInfo* label) {
  CCommonWSIMetadata metadata;
  auto normal = Level0(pyramid, false);
  auto extended = Level0(pyramid, true);
  if (normal.empty()) normal = extended;
  if (normal.empty()) return metadata;
  const InstanceInfo& first = *normal.front();
  auto& v = metadata.m_values;
  if (std::isfinite(first.lossyRatio)) SetNumber(v, "CompressionFactor", std::round(first.lossyRatio));
  SetNumber(v, "PhysicalMagnify", first.opticalPaths.front().objectiveLensPower);
  SetText(v, "ObjectiveName", first.opticalPaths.front().lensName);
  SetText(v, "Barcode", label && !label->barcode.empty() ? label->barcode : first.barcode);
  SetText(v, "LabelText", label && !label->labelText.empty() ? label->labelText : first.labelText);
  std::shared_ptr<const LevelData> level;
  if (BuildLevel(normal, false, 0, false, level) == DicomInteropDefines::WSI_OK) {
    metadata.m_channels.resize(level->channels.size());
    for (size_t i = 0; i < level->channels.size(); ++i) {
      FillChannel(*level, i, extended.empty() ? nullptr : extended.front().get(), metadata.m_channels[i]);
    }
  }
  for (const auto& instance : normal) MergePrivateBlock(instance->privateBlock, metadata);
  for (const auto& instance : pyramid.volumes) MergePrivateBlock(instance->privateBlock, metadata);
  return metadata;
}

}  // namespace dicominterop

// Whole-slide-image attributes: tiling, pixel format, optical paths (wavelengths, pass bands,
// objective power, palette LUTs).
#include "WsiAttributes.h"

#include <algorithm>
#include <cstring>

#include "Attributes.h"

namespace dicominterop {
namespace {

uint32_t Unsigned(const Dataset& ds, uint32_t tag, uint32_t fallback) {
  const std::optional<double> v = attr::Number(ds, tag);
  return v && *v >= 0 && *v <= 4294967295.0 ? static_cast<uint32_t>(*v) : fallback;
}

uint16_t Unsigned16(const Dataset& ds, uint32_t tag) {
  return static_cast<uint16_t>(std::min<uint32_t>(Unsigned(ds, tag, 0), 65535));
}

void ReadSharedGroups(const Dataset& ds, InstanceInfo& info) {
  attr::FirstItem shared(ds, tags::kSharedFunctionalGroups);
  if (!shared) return;
  if (attr::FirstItem measures(*shared, tags::kPixelMeasuresSequence); measures) {
    const std::vector<double> spacing = attr::Numbers(*measures, tags::kPixelSpacing);
    if (spacing.size() >= 2) {
      info.rowSpacingMm = spacing[0];
      info.columnSpacingMm = spacing[1];
    }
    info.sliceSpacingMm = attr::Number(*measures, tags::kSliceSpacing).value_or(NAN);
  }
  if (attr::FirstItem position(*shared, tags::kPlanePositionSlideSequence); position) {
    info.originZ = attr::Number(*position, tags::kZOffsetInSlide).value_or(NAN);
  }
}

// Palette entries are 16-bit words; a table of 8-bit entries stored one per byte is widened.
std::vector<uint16_t> PaletteEntries(const Dataset& ds, uint32_t data, uint32_t count, uint32_t bits) {
  const std::vector<uint8_t> bytes = attr::Bytes(ds, data);
  std::vector<uint16_t> entries;
  if (count > 0 && bytes.size() >= 2 * size_t{count}) {
    entries.resize(count);
    std::memcpy(entries.data(), bytes.data(), 2 * size_t{count});
    if (bits == 8) {
      for (uint16_t& e : entries) e = static_cast<uint16_t>((e & 0xff) * 257);
    }
  } else if (bytes.size() == count && bits == 8) {
    for (uint8_t b : bytes) entries.push_back(static_cast<uint16_t>(b * 257));
  }
  return entries;
}

PaletteLut ReadPalette(const Dataset& path) {
  PaletteLut lut;
  attr::FirstItem item(path, tags::kPaletteLutSequence);
  const Dataset& ds = item ? *item : path;  // the descriptors may also sit in the path item
  const std::vector<double> descriptor = attr::Numbers(ds, tags::kPaletteDescriptor);
  // Entry count and first mapped value are 16-bit (signed or not), bits at most 16; anything else
  // is damage, and converting it to an integer would be undefined.
  const auto within = [](double v, double low, double high) { return v >= low && v <= high; };  // false for NaN
  if (descriptor.size() < 3 || !within(descriptor[0], -32768, 65535) || !within(descriptor[1], -32768, 65535) ||
      !within(descriptor[2], 0, 16)) {
    return lut;
  }
  lut.entryCount = descriptor[0] <= 0 ? 65536u : static_cast<uint32_t>(descriptor[0]);
  lut.firstMapped = static_cast<int32_t>(descriptor[1]);
  const uint32_t bits = static_cast<uint32_t>(descriptor[2]);
  lut.red = PaletteEntries(ds, tags::kRedPalette, lut.entryCount, bits);
  lut.green = PaletteEntries(ds, tags::kGreenPalette, lut.entryCount, bits);
  lut.blue = PaletteEntries(ds, tags::kBluePalette, lut.entryCount, bits);
  return lut;
}

OpticalPath ReadOpticalPath(const Dataset& ds) {
  OpticalPath path;
  path.identifier = attr::Text(ds, tags::kOpticalPathIdentifier);
  path.description = attr::Text(ds, tags::kOpticalPathDescription);
  path.lightWavelength = Unsigned16(ds, tags::kLightPathWavelength);
  path.imageWavelength = Unsigned16(ds, tags::kImagePathWavelength);
  if (auto band = attr::Numbers(ds, tags::kLightPathPassBand); band.size() >= 2) {
    path.lightBandLow = band[0];
    path.lightBandHigh = band[1];
  }
  if (auto band = attr::Numbers(ds, tags::kImagePathPassBand); band.size() >= 2) {
    path.imageBandLow = band[0];
    path.imageBandHigh = band[1];
  }
  path.objectiveLensPower = attr::Number(ds, tags::kObjectiveLensPower).value_or(NAN);
  path.lensName = attr::CodeMeaning(ds, tags::kLensesCodeSequence);
  path.palette = ReadPalette(ds);
  return path;
}

}  // namespace

void ReadImageGeometry(const Dataset& ds, InstanceInfo& info) {
  info.rows = Unsigned16(ds, tags::kRows);
  info.columns = Unsigned16(ds, tags::kColumns);
  info.samplesPerPixel = Unsigned16(ds, tags::kSamplesPerPixel);
  info.bitsAllocated = Unsigned16(ds, tags::kBitsAllocated);
  info.bitsStored = Unsigned16(ds, tags::kBitsStored);
  if (info.bitsStored == 0) info.bitsStored = info.bitsAllocated;
  info.photometric = attr::Text(ds, tags::kPhotometric);
  info.frameCount = Unsigned(ds, tags::kNumberOfFrames, 1);
  info.totalColumns = Unsigned(ds, tags::kTotalPixelMatrixColumns, info.columns);
  info.totalRows = Unsigned(ds, tags::kTotalPixelMatrixRows, info.rows);
  info.focalPlaneCount = std::max<uint32_t>(1, Unsigned(ds, tags::kTotalPixelMatrixFocalPlanes, 1));
  // Only a stated TILED_FULL places frames by computed order: writers that leave the type out
  // store frames in any order (row, Morton, per thread) and place them by per-frame positions.
  info.tiledFull = attr::Text(ds, tags::kDimensionOrganizationType) == "TILED_FULL";
  info.extendedDepthOfField = attr::Text(ds, tags::kExtendedDepthOfField) == "YES";
  info.edfFocalPlanes = Unsigned(ds, tags::kNumberOfFocalPlanes, 0);
  info.edfPlaneDistance = attr::Number(ds, tags::kDistanceBetweenFocalPlanes).value_or(NAN);
  info.concatenationUid = attr::Text(ds, tags::kConcatenationUid);
  info.concatenationFrameOffset = Unsigned(ds, tags::kConcatenationFrameOffset, 0);
  ReadSharedGroups(ds, info);
}

void ReadOpticalPaths(const Dataset& ds, InstanceInfo& info) {
  for (const Dataset& path : attr::Items(ds, tags::kOpticalPathSequence)) info.opticalPaths.push_back(ReadOpticalPath(path));
  if (info.opticalPaths.empty()) info.opticalPaths.emplace_back();
}

}  // namespace dicominterop

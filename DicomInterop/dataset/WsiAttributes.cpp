// Whole-slide-image attributes: tiling, pixel format, optical paths (wavelengths, pass bands,
// objective power, palette LUTs).
#include "WsiAttributes.h"

#include <algorithm>
#include <cstring>

#include "Attributes.h"

namespace dicominterop {
namespace {

using gdcm::Tag;

const Tag kSharedGroups(0x5200, 0x9229);
const Tag kPlanePositionSlide(0x0048, 0x021a);
const Tag kOpticalPathIdentifier(0x0048, 0x0106);

uint32_t Unsigned(const gdcm::DataSet& ds, const Tag& tag, uint32_t fallback) {
  const std::optional<double> v = attr::Number(ds, tag);
  return v && *v >= 0 && *v <= 4294967295.0 ? static_cast<uint32_t>(*v) : fallback;
}

uint16_t Unsigned16(const gdcm::DataSet& ds, const Tag& tag) {
  return static_cast<uint16_t>(std::min<uint32_t>(Unsigned(ds, tag, 0), 65535));
}

void ReadSharedGroups(const gdcm::DataSet& ds, InstanceInfo& info) {
  attr::FirstItem shared(ds, kSharedGroups);
  if (!shared) return;
  if (attr::FirstItem measures(*shared, Tag(0x0028, 0x9110)); measures) {
    const std::vector<double> spacing = attr::Numbers(*measures, Tag(0x0028, 0x0030));
    if (spacing.size() >= 2) {
      info.rowSpacingMm = spacing[0];
      info.columnSpacingMm = spacing[1];
    }
    info.sliceSpacingMm = attr::Number(*measures, Tag(0x0018, 0x0088)).value_or(NAN);
  }
  if (attr::FirstItem position(*shared, kPlanePositionSlide); position) {
    info.originZ = attr::Number(*position, Tag(0x0040, 0x074a)).value_or(NAN);
  }
}

// Palette entries are 16-bit words; a table of 8-bit entries stored one per byte is widened.
std::vector<uint16_t> PaletteEntries(const gdcm::DataSet& ds, const Tag& data, uint32_t count, uint32_t bits) {
  const std::vector<uint8_t> bytes = attr::Bytes(ds, data);
  std::vector<uint16_t> entries;
  if (bytes.size() >= 2 * size_t{count}) {
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

PaletteLut ReadPalette(const gdcm::DataSet& path) {
  PaletteLut lut;
  attr::FirstItem item(path, Tag(0x0048, 0x0120));
  const gdcm::DataSet& ds = item ? *item : path;  // the descriptors may also sit in the path item
  const std::vector<double> descriptor = attr::Numbers(ds, Tag(0x0028, 0x1101));
  if (descriptor.size() < 3) return lut;
  lut.entryCount = descriptor[0] <= 0 ? 65536u : static_cast<uint32_t>(descriptor[0]);
  lut.firstMapped = static_cast<int32_t>(descriptor[1]);
  const uint32_t bits = static_cast<uint32_t>(descriptor[2]);
  lut.red = PaletteEntries(ds, Tag(0x0028, 0x1201), lut.entryCount, bits);
  lut.green = PaletteEntries(ds, Tag(0x0028, 0x1202), lut.entryCount, bits);
  lut.blue = PaletteEntries(ds, Tag(0x0028, 0x1203), lut.entryCount, bits);
  return lut;
}

OpticalPath ReadOpticalPath(const gdcm::DataSet& ds) {
  OpticalPath path;
  path.identifier = attr::Text(ds, kOpticalPathIdentifier);
  path.description = attr::Text(ds, Tag(0x0048, 0x0107));
  path.lightWavelength = Unsigned16(ds, Tag(0x0022, 0x0001));
  path.imageWavelength = Unsigned16(ds, Tag(0x0022, 0x0003));
  if (auto band = attr::Numbers(ds, Tag(0x0022, 0x0002)); band.size() >= 2) {
    path.lightBandLow = band[0];
    path.lightBandHigh = band[1];
  }
  if (auto band = attr::Numbers(ds, Tag(0x0022, 0x0004)); band.size() >= 2) {
    path.imageBandLow = band[0];
    path.imageBandHigh = band[1];
  }
  path.objectiveLensPower = attr::Number(ds, Tag(0x0048, 0x0112)).value_or(NAN);
  path.lensName = attr::CodeMeaning(ds, Tag(0x0022, 0x0019));
  path.palette = ReadPalette(ds);
  return path;
}

}  // namespace

void ReadImageGeometry(const gdcm::DataSet& ds, InstanceInfo& info) {
  info.rows = Unsigned16(ds, Tag(0x0028, 0x0010));
  info.columns = Unsigned16(ds, Tag(0x0028, 0x0011));
  info.samplesPerPixel = Unsigned16(ds, Tag(0x0028, 0x0002));
  info.bitsAllocated = Unsigned16(ds, Tag(0x0028, 0x0100));
  info.bitsStored = Unsigned16(ds, Tag(0x0028, 0x0101));
  if (info.bitsStored == 0) info.bitsStored = info.bitsAllocated;
  info.photometric = attr::Text(ds, Tag(0x0028, 0x0004));
  info.frameCount = Unsigned(ds, Tag(0x0028, 0x0008), 1);
  info.totalColumns = Unsigned(ds, Tag(0x0048, 0x0006), info.columns);
  info.totalRows = Unsigned(ds, Tag(0x0048, 0x0007), info.rows);
  info.focalPlaneCount = std::max<uint32_t>(1, Unsigned(ds, Tag(0x0048, 0x0303), 1));
  // Without Dimension Organization Type the frames are taken as TILED_FULL, as the
  // standard's default tiling reading of a whole-slide image does.
  info.tiledFull = attr::Text(ds, Tag(0x0020, 0x9311)) != "TILED_SPARSE";
  info.extendedDepthOfField = attr::Text(ds, Tag(0x0048, 0x0012)) == "YES";
  info.edfFocalPlanes = Unsigned(ds, Tag(0x0048, 0x0013), 0);
  info.edfPlaneDistance = attr::Number(ds, Tag(0x0048, 0x0014)).value_or(NAN);
  info.concatenationUid = attr::Text(ds, Tag(0x0020, 0x9161));
  info.concatenationFrameOffset = Unsigned(ds, Tag(0x0020, 0x9228), 0);
  ReadSharedGroups(ds, info);
}

void ReadOpticalPaths(const gdcm::DataSet& ds, InstanceInfo& info) {
  gdcm::SmartPointer<gdcm::SequenceOfItems> paths = attr::Sequence(ds, Tag(0x0048, 0x0105));
  if (paths) {
    for (size_t i = 1; i <= paths->GetNumberOfItems(); ++i) {
      info.opticalPaths.push_back(ReadOpticalPath(paths->GetItem(i).GetNestedDataSet()));
    }
  }
  if (info.opticalPaths.empty()) info.opticalPaths.emplace_back();
}

}  // namespace dicominterop

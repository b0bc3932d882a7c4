// Reads one file's dataset with ParseFile (Pixel Data is never loaded) and extracts the
// attributes the slide reader uses. Geometry and optical paths: WsiAttributes.cpp.
#include "DatasetReader.h"

#include <new>

#include "Attributes.h"
#include "FileParser.h"
#include "PerFrameGroups.h"
#include "PixelFile.h"
#include "WsiAttributes.h"

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

constexpr uint64_t kMinFrameBytes = 8;

// An instance of the whole-slide class without Image Type is a pyramid image: early writers
// leave it out of level images, while label, overview and thumbnail always state their kind.
ImageFlavor FlavorOf(const Dataset& ds) {
  if (!ds.Find(tags::kImageType)) return ImageFlavor::Volume;
  const std::vector<std::string> type = attr::Texts(ds, tags::kImageType);
  if (type.size() < 3) return ImageFlavor::Other;
  if (type[2] == "VOLUME") return ImageFlavor::Volume;
  if (type[2] == "LABEL") return ImageFlavor::Label;
  if (type[2] == "OVERVIEW") return ImageFlavor::Overview;
  if (type[2] == "THUMBNAIL") return ImageFlavor::Thumbnail;
  return ImageFlavor::Other;
}

// Private block "ZORVEL WSI METADATA": the creator may reserve any block xx of group 0x0029;
// its data element is (0029,xx10), UTF-8 "Key=Value" lines.
void ReadPrivateBlock(const Dataset& ds, InstanceInfo& info) {
  for (uint16_t block = 0x10; block <= 0xff; ++block) {
    if (attr::Text(ds, Tag(0x0029, block)) != "ZORVEL WSI METADATA") continue;
    const std::vector<uint8_t> bytes = attr::Bytes(ds, Tag(0x0029, static_cast<uint16_t>((block << 8) | 0x10)));
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    while (!text.empty()) {
      size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\0')) line.remove_suffix(1);
      const size_t eq = line.find('=');
      if (eq == std::string_view::npos || eq == 0) continue;
      info.privateBlock.emplace(std::string(line.substr(0, eq)), std::string(line.substr(eq + 1)));
    }
    return;
  }
}

void ReadDescriptive(const Dataset& ds, InstanceInfo& info) {
  info.sopInstanceUid = attr::Text(ds, tags::kSopInstanceUid);
  info.seriesUid = attr::Text(ds, tags::kSeriesInstanceUid);
  info.studyUid = attr::Text(ds, tags::kStudyInstanceUid);
  info.frameOfReferenceUid = attr::Text(ds, tags::kFrameOfReferenceUid);
  info.acquisitionDateTime = attr::Text(ds, tags::kAcquisitionDateTime);
  info.timezoneOffset = attr::Text(ds, tags::kTimezoneOffset);
  info.acquisitionDuration = attr::Number(ds, tags::kAcquisitionDuration).value_or(NAN);
  info.manufacturer = attr::Text(ds, tags::kManufacturer);
  info.modelName = attr::Text(ds, tags::kModelName);
  info.deviceSerial = attr::Text(ds, tags::kDeviceSerialNumber);
  info.softwareVersions = attr::Texts(ds, tags::kSoftwareVersions);
  info.lossyRatio = attr::Number(ds, tags::kLossyRatio).value_or(NAN);
  info.labelText = attr::Text(ds, tags::kLabelText);
  info.barcode = attr::Text(ds, tags::kBarcodeValue);
  info.containerId = attr::Text(ds, tags::kContainerIdentifier);
  ReadPrivateBlock(ds, info);
}

void ReadPixelDataLocation(const ParsedFile& parsed, InstanceInfo& info) {
  info.implicitVr = !parsed.encoding.explicitVr;
  info.bigEndian = !parsed.encoding.littleEndian;
  info.extendedOffsets = attr::UInt64s(parsed.dataset, tags::kExtendedOffsetTable);
  info.extendedLengths = attr::UInt64s(parsed.dataset, tags::kExtendedOffsetTableLengths);
  info.hasPixelData = parsed.hasPixelData;
  info.pixelDataOffset = parsed.pixelDataOffset;
}

// A declared frame count the whole file could not hold (each frame takes at least an item
// header's 8 bytes) is damage; refusing it here keeps every later per-frame loop bounded.
// Frames that are merely missing from a truncated file fail when they are read.
bool FrameCountFitsFile(const InstanceInfo& info) { return info.frameCount <= info.fileSize / kMinFrameBytes; }

// Frames placed by their positions need one position per frame, each with column and row;
// positions for only some frames would silently put the others at the first tile.
bool PositionsConsistent(const InstanceInfo& info) {
  if (info.tiledFull || info.positionedFrames == 0) return true;
  return info.positionedFrames == info.frameCount && info.framePositions.size() == info.frameCount;
}

long ReadImage(const ParsedFile& parsed, InstanceInfo& info) {
  const Dataset& ds = parsed.dataset;
  info.flavor = FlavorOf(ds);
  ReadImageGeometry(ds, info);
  ReadOpticalPaths(ds, info);
  ReadPixelDataLocation(parsed, info);
  if (!info.hasPixelData || info.rows == 0 || info.columns == 0 || info.frameCount == 0) return WSI_E_MALFORMED;
  if (!FrameCountFitsFile(info)) return WSI_E_MALFORMED;
  if (long rc = ReadPerFramePositions(parsed, info); rc != WSI_OK) return rc;
  return PositionsConsistent(info) ? WSI_OK : WSI_E_MALFORMED;
}

}  // namespace

long ReadInstance(const std::string& path, InstanceInfo& info, AnnotationRead readAnnotations) {
  const PixelFile file(path);
  if (!file.IsOpen()) return WSI_E_IO;
  info.path = path;
  info.fileSize = file.Size();
  try {
    ParsedFile parsed;
    if (long rc = ParseFile(file, parsed); rc != WSI_OK) return rc;
    const Dataset& ds = parsed.dataset;
    info.transferSyntaxUid = parsed.transferSyntaxUid;
    info.syntax = TransferSyntaxNumber(info.transferSyntaxUid);
    info.sopClassUid = attr::Text(ds, tags::kSopClassUid);
    if (info.sopClassUid.empty()) info.sopClassUid = attr::Text(parsed.meta, tags::kMediaStorageSopClassUid);
    const bool annotations = info.sopClassUid == kBulkAnnotationsSopClass && readAnnotations;
    if (!annotations && info.sopClassUid != kWholeSlideImageSopClass) return WSI_E_UNSUPPORTED;
    ReadDescriptive(ds, info);
    if (annotations) return readAnnotations(ds, info) ? WSI_OK : WSI_E_MALFORMED;
    return ReadImage(parsed, info);
  } catch (const std::bad_alloc&) {
    return WSI_E_OUTOFMEMORY;
  }
}

}  // namespace dicominterop

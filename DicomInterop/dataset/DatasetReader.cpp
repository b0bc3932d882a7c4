// Reads one file's dataset with gdcm::Reader::ReadUpToTag (Pixel Data is never loaded) and
// extracts the attributes the slide reader uses. Geometry and optical paths: WsiAttributes.cpp.
#include "DatasetReader.h"

#include <sys/stat.h>

#include <gdcmReader.h>

#include "../annotations/AnnotationReader.h"
#include "Attributes.h"
#include "GdcmErrors.h"
#include "PerFrameGroups.h"
#include "StructureWalk.h"
#include "WsiAttributes.h"

namespace dicominterop {
namespace {

using gdcm::Tag;
using namespace DicomInteropDefines;

const Tag kPixelData(0x7fe0, 0x0010);
const Tag kPerFrameGroups(0x5200, 0x9230);  // read by ReadPerFramePositions, not by the toolkit

ImageFlavor FlavorOf(const gdcm::DataSet& ds) {
  const std::vector<std::string> type = attr::Texts(ds, Tag(0x0008, 0x0008));
  if (type.size() < 3) return ImageFlavor::Other;
  if (type[2] == "VOLUME") return ImageFlavor::Volume;
  if (type[2] == "LABEL") return ImageFlavor::Label;
  if (type[2] == "OVERVIEW") return ImageFlavor::Overview;
  if (type[2] == "THUMBNAIL") return ImageFlavor::Thumbnail;
  return ImageFlavor::Other;
}

// Private block "ZORVEL WSI METADATA": the creator may reserve any block xx of group 0x0029;
// its data element is (0029,xx10), UTF-8 "Key=Value" lines.
void ReadPrivateBlock(const gdcm::DataSet& ds, InstanceInfo& info) {
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

void ReadDescriptive(const gdcm::DataSet& ds, InstanceInfo& info) {
  info.sopInstanceUid = attr::Text(ds, Tag(0x0008, 0x0018));
  info.seriesUid = attr::Text(ds, Tag(0x0020, 0x000e));
  info.studyUid = attr::Text(ds, Tag(0x0020, 0x000d));
  info.frameOfReferenceUid = attr::Text(ds, Tag(0x0020, 0x0052));
  info.acquisitionDateTime = attr::Text(ds, Tag(0x0008, 0x002a));
  info.timezoneOffset = attr::Text(ds, Tag(0x0008, 0x0201));
  info.acquisitionDuration = attr::Number(ds, Tag(0x0018, 0x9073)).value_or(NAN);
  info.manufacturer = attr::Text(ds, Tag(0x0008, 0x0070));
  info.modelName = attr::Text(ds, Tag(0x0008, 0x1090));
  info.deviceSerial = attr::Text(ds, Tag(0x0018, 0x1000));
  info.softwareVersions = attr::Texts(ds, Tag(0x0018, 0x1020));
  info.lossyRatio = attr::Number(ds, Tag(0x0028, 0x2112)).value_or(NAN);
  info.labelText = attr::Text(ds, Tag(0x2200, 0x0002));
  info.barcode = attr::Text(ds, Tag(0x2200, 0x0005));
  info.containerId = attr::Text(ds, Tag(0x0040, 0x0512));
  ReadPrivateBlock(ds, info);
}

void ReadPixelDataLocation(const gdcm::DataSet& ds, const FileStructure& structure, InstanceInfo& info) {
  info.implicitVr = info.syntax == WSI_TS_IMPLICIT_VR_LITTLE_ENDIAN;
  info.bigEndian = info.syntax == WSI_TS_EXPLICIT_VR_BIG_ENDIAN;
  info.extendedOffsets = attr::UInt64s(ds, Tag(0x7fe0, 0x0001));
  info.extendedLengths = attr::UInt64s(ds, Tag(0x7fe0, 0x0002));
  info.hasPixelData = structure.hasPixelData;
  info.pixelDataOffset = structure.pixelDataOffset;
}

}  // namespace

long ReadInstance(const std::string& path, InstanceInfo& info) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return WSI_E_IO;
  if (st.st_size < 8) return WSI_E_MALFORMED;
  info.path = path;
  info.fileSize = static_cast<uint64_t>(st.st_size);
  // The toolkit aborts on some truncated structures, so it only sees files that walk cleanly.
  FileStructure structure;
  if (long rc = WalkStructure(path, structure); rc != WSI_OK) return rc;

  gdcm::Reader reader;
  reader.SetFileName(path.c_str());
  const long read = RunGdcmStep([&] { return reader.ReadUpToTag(kPixelData, {kPixelData, kPerFrameGroups}); });
  if (read != WSI_OK) return read;
  const gdcm::DataSet& ds = reader.GetFile().GetDataSet();
  const gdcm::FileMetaInformation& meta = reader.GetFile().GetHeader();
  info.transferSyntaxUid = attr::Text(meta, Tag(0x0002, 0x0010));
  info.syntax = TransferSyntaxNumber(info.transferSyntaxUid);
  info.sopClassUid = attr::Text(ds, Tag(0x0008, 0x0016));
  if (info.sopClassUid.empty()) info.sopClassUid = attr::Text(meta, Tag(0x0002, 0x0002));

  if (info.sopClassUid != kBulkAnnotationsSopClass && info.sopClassUid != kWholeSlideImageSopClass) {
    return WSI_E_UNSUPPORTED;
  }
  return RunGdcmStep([&] {
    ReadDescriptive(ds, info);
    if (info.sopClassUid == kBulkAnnotationsSopClass) {
      ReadAnnotationReferences(ds, info);
      info.annotations = ReadAnnotationSet(ds);
      return info.annotations != nullptr;
    }
    info.flavor = FlavorOf(ds);
    ReadImageGeometry(ds, info);
    ReadOpticalPaths(ds, info);
    if (ReadPerFramePositions(structure, info) != WSI_OK) return false;
    ReadPixelDataLocation(ds, structure, info);
    return info.hasPixelData && info.rows > 0 && info.columns > 0 && info.frameCount > 0;
  });
}

}  // namespace dicominterop

// What the reader keeps of one DICOM instance after parsing its dataset (everything up to
// Pixel Data): identity, geometry, frame positions, optical paths, metadata, pixel-data location.
// Plain immutable values once built; shared read-only between threads.
#pragma once

#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DicomInteropDefines.h"

namespace dicominterop {

struct AnnotationSet;

enum class ImageFlavor { Volume, Label, Overview, Thumbnail, Other };

// Palette colour lookup table of an optical path, as stored (PS3.3 C.7.6.3.1.5).
struct PaletteLut {
  uint32_t entryCount = 0;     // from the descriptor; 0 stored means 65536
  int32_t firstMapped = 0;     // first input value mapped
  std::vector<uint16_t> red, green, blue;  // 16-bit entries (8-bit tables widened by x257)
  bool Valid() const { return entryCount > 0 && red.size() == entryCount && green.size() == entryCount && blue.size() == entryCount; }
};

struct OpticalPath {
  std::string identifier;
  std::string description;
  uint16_t lightWavelength = 0;  // Light Path Filter Pass-Through Wavelength (0022,0001), nm
  uint16_t imageWavelength = 0;  // Image Path Filter Pass-Through Wavelength (0022,0003), nm
  double lightBandLow = NAN, lightBandHigh = NAN;  // Light Path Filter Pass Band (0022,0002), nm
  double imageBandLow = NAN, imageBandHigh = NAN;  // Image Path Filter Pass Band (0022,0004), nm
  double objectiveLensPower = NAN;
  std::string lensName;          // code meaning of the Lenses Code Sequence
  PaletteLut palette;
};

// Position of one frame (Per-Frame Functional Groups); pixel positions are 1-based.
struct FramePosition {
  int64_t column = 1;            // Column Position In Total Image Pixel Matrix
  int64_t row = 1;               // Row Position In Total Image Pixel Matrix
  double z = 0;                  // Z Offset in Slide Coordinate System, micrometres
  int32_t pathIndex = 0;         // index into InstanceInfo::opticalPaths
};

struct InstanceInfo {
  std::string path;              // file path (UTF-8)
  uint64_t fileSize = 0;
  std::string sopClassUid, sopInstanceUid, seriesUid, studyUid, frameOfReferenceUid;
  std::string transferSyntaxUid;
  DicomInteropDefines::EWSITransferSyntaxes syntax = DicomInteropDefines::WSI_TS_OTHER;
  ImageFlavor flavor = ImageFlavor::Other;
  bool extendedDepthOfField = false;
  uint32_t edfFocalPlanes = 0;   // Number of Focal Planes of an extended-depth-of-field image
  double edfPlaneDistance = NAN; // Distance Between Focal Planes, micrometres

  uint16_t rows = 0, columns = 0, samplesPerPixel = 0, bitsAllocated = 0, bitsStored = 0;
  std::string photometric;
  uint32_t totalColumns = 0, totalRows = 0;   // Total Pixel Matrix Columns / Rows
  uint32_t frameCount = 0;
  uint32_t focalPlaneCount = 1;               // Total Pixel Matrix Focal Planes
  bool tiledFull = true;                      // Dimension Organization Type is TILED_FULL
  double rowSpacingMm = 0, columnSpacingMm = 0;
  double sliceSpacingMm = NAN;                // Spacing Between Slices
  double originZ = NAN;                       // z of the only plane, from shared functional groups
  std::vector<FramePosition> framePositions;  // empty unless per-frame positions are stored
  uint32_t positionedFrames = 0;              // frames whose position gives both column and row
  std::vector<OpticalPath> opticalPaths;

  std::string concatenationUid;
  uint32_t concatenationFrameOffset = 0;

  // Pixel data location: offset of the (7FE0,0010) element header, relative to the file start.
  uint64_t pixelDataOffset = 0;
  bool hasPixelData = false;
  bool implicitVr = false, bigEndian = false;
  std::vector<uint64_t> extendedOffsets;  // relative to the first byte of the first fragment item
  std::vector<uint64_t> extendedLengths;

  std::string acquisitionDateTime, timezoneOffset;
  double acquisitionDuration = NAN;
  std::string manufacturer, modelName, deviceSerial;
  std::vector<std::string> softwareVersions;
  double lossyRatio = NAN;
  std::string labelText, barcode, containerId;
  std::map<std::string, std::string> privateBlock;  // key -> value of the private metadata block

  // Bulk annotations: referenced series / instances and the parsed set.
  std::vector<std::string> referencedSeries, referencedInstances;
  std::shared_ptr<const AnnotationSet> annotations;

  bool IsVolume() const { return flavor == ImageFlavor::Volume; }
  // Frames go where their per-frame positions say unless the file states TILED_FULL order;
  // without positions for every frame the computed TILED_FULL order is the only one there is.
  bool PlacedByPositions() const {
    return !tiledFull && positionedFrames > 0 && positionedFrames == frameCount && framePositions.size() == frameCount;
  }
};

}  // namespace dicominterop

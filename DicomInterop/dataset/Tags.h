// Named DICOM tags the slide library reads, as 32-bit group << 16 | element numbers, and the
// item and delimiter tags of the encoding. One place for every number the readers switch on.
#pragma once

#include <cstdint>

namespace dicominterop {

constexpr uint32_t Tag(uint16_t group, uint16_t element) { return uint32_t{group} << 16 | element; }
constexpr uint16_t GroupOf(uint32_t tag) { return static_cast<uint16_t>(tag >> 16); }

namespace tags {
// Encoding
constexpr uint32_t kItem = Tag(0xfffe, 0xe000);
constexpr uint32_t kItemDelimiter = Tag(0xfffe, 0xe00d);
constexpr uint32_t kSequenceDelimiter = Tag(0xfffe, 0xe0dd);
constexpr uint32_t kTransferSyntaxUid = Tag(0x0002, 0x0010);
constexpr uint32_t kMediaStorageSopClassUid = Tag(0x0002, 0x0002);
// Identity and description
constexpr uint32_t kImageType = Tag(0x0008, 0x0008);
constexpr uint32_t kSopClassUid = Tag(0x0008, 0x0016);
constexpr uint32_t kSopInstanceUid = Tag(0x0008, 0x0018);
constexpr uint32_t kAcquisitionDateTime = Tag(0x0008, 0x002a);
constexpr uint32_t kManufacturer = Tag(0x0008, 0x0070);
constexpr uint32_t kCodeMeaning = Tag(0x0008, 0x0104);
constexpr uint32_t kTimezoneOffset = Tag(0x0008, 0x0201);
constexpr uint32_t kModelName = Tag(0x0008, 0x1090);
constexpr uint32_t kReferencedSeriesSequence = Tag(0x0008, 0x1115);
constexpr uint32_t kReferencedImageSequence = Tag(0x0008, 0x1140);
constexpr uint32_t kReferencedInstanceSequence = Tag(0x0008, 0x114a);
constexpr uint32_t kReferencedSopInstanceUid = Tag(0x0008, 0x1155);
constexpr uint32_t kSliceSpacing = Tag(0x0018, 0x0088);
constexpr uint32_t kDeviceSerialNumber = Tag(0x0018, 0x1000);
constexpr uint32_t kSoftwareVersions = Tag(0x0018, 0x1020);
constexpr uint32_t kAcquisitionDuration = Tag(0x0018, 0x9073);
constexpr uint32_t kStudyInstanceUid = Tag(0x0020, 0x000d);
constexpr uint32_t kSeriesInstanceUid = Tag(0x0020, 0x000e);
constexpr uint32_t kFrameOfReferenceUid = Tag(0x0020, 0x0052);
constexpr uint32_t kConcatenationUid = Tag(0x0020, 0x9161);
constexpr uint32_t kConcatenationFrameOffset = Tag(0x0020, 0x9228);
constexpr uint32_t kDimensionOrganizationType = Tag(0x0020, 0x9311);
// Image pixel description
constexpr uint32_t kSamplesPerPixel = Tag(0x0028, 0x0002);
constexpr uint32_t kPhotometric = Tag(0x0028, 0x0004);
constexpr uint32_t kNumberOfFrames = Tag(0x0028, 0x0008);
constexpr uint32_t kRows = Tag(0x0028, 0x0010);
constexpr uint32_t kColumns = Tag(0x0028, 0x0011);
constexpr uint32_t kPixelSpacing = Tag(0x0028, 0x0030);
constexpr uint32_t kBitsAllocated = Tag(0x0028, 0x0100);
constexpr uint32_t kBitsStored = Tag(0x0028, 0x0101);
constexpr uint32_t kLossyRatio = Tag(0x0028, 0x2112);
constexpr uint32_t kPaletteDescriptor = Tag(0x0028, 0x1101);
constexpr uint32_t kRedPalette = Tag(0x0028, 0x1201);
constexpr uint32_t kGreenPalette = Tag(0x0028, 0x1202);
constexpr uint32_t kBluePalette = Tag(0x0028, 0x1203);
constexpr uint32_t kPixelMeasuresSequence = Tag(0x0028, 0x9110);
// Whole-slide geometry
constexpr uint32_t kContainerIdentifier = Tag(0x0040, 0x0512);
constexpr uint32_t kZOffsetInSlide = Tag(0x0040, 0x074a);
constexpr uint32_t kTotalPixelMatrixColumns = Tag(0x0048, 0x0006);
constexpr uint32_t kTotalPixelMatrixRows = Tag(0x0048, 0x0007);
constexpr uint32_t kExtendedDepthOfField = Tag(0x0048, 0x0012);
constexpr uint32_t kNumberOfFocalPlanes = Tag(0x0048, 0x0013);
constexpr uint32_t kDistanceBetweenFocalPlanes = Tag(0x0048, 0x0014);
constexpr uint32_t kOpticalPathSequence = Tag(0x0048, 0x0105);
constexpr uint32_t kOpticalPathIdentifier = Tag(0x0048, 0x0106);
constexpr uint32_t kOpticalPathDescription = Tag(0x0048, 0x0107);
constexpr uint32_t kObjectiveLensPower = Tag(0x0048, 0x0112);
constexpr uint32_t kPaletteLutSequence = Tag(0x0048, 0x0120);
constexpr uint32_t kOpticalPathIdentificationSequence = Tag(0x0048, 0x0207);
constexpr uint32_t kPlanePositionSlideSequence = Tag(0x0048, 0x021a);
constexpr uint32_t kColumnPositionInTotalMatrix = Tag(0x0048, 0x021e);
constexpr uint32_t kRowPositionInTotalMatrix = Tag(0x0048, 0x021f);
constexpr uint32_t kTotalPixelMatrixFocalPlanes = Tag(0x0048, 0x0303);
// Optical path filters and lenses
constexpr uint32_t kLightPathWavelength = Tag(0x0022, 0x0001);
constexpr uint32_t kLightPathPassBand = Tag(0x0022, 0x0002);
constexpr uint32_t kImagePathWavelength = Tag(0x0022, 0x0003);
constexpr uint32_t kImagePathPassBand = Tag(0x0022, 0x0004);
constexpr uint32_t kLensesCodeSequence = Tag(0x0022, 0x0019);
// Label
constexpr uint32_t kLabelText = Tag(0x2200, 0x0002);
constexpr uint32_t kBarcodeValue = Tag(0x2200, 0x0005);
// Functional groups and pixel data
constexpr uint32_t kSharedFunctionalGroups = Tag(0x5200, 0x9229);
constexpr uint32_t kPerFrameFunctionalGroups = Tag(0x5200, 0x9230);
constexpr uint32_t kExtendedOffsetTable = Tag(0x7fe0, 0x0001);
constexpr uint32_t kExtendedOffsetTableLengths = Tag(0x7fe0, 0x0002);
constexpr uint32_t kPixelData = Tag(0x7fe0, 0x0010);
}  // namespace tags

}  // namespace dicominterop

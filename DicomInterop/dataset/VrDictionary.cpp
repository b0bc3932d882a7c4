// The VR table of the attributes the library reads (see VrDictionary.h), sorted by tag.
#include "VrDictionary.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "Tags.h"

namespace dicominterop {
namespace {

struct Entry {
  uint32_t tag;
  char vr[3];
};

constexpr Entry kEntries[] = {
    {tags::kMediaStorageSopClassUid, "UI"},
    {tags::kTransferSyntaxUid, "UI"},
    {tags::kImageType, "CS"},
    {tags::kSopClassUid, "UI"},
    {tags::kSopInstanceUid, "UI"},
    {tags::kAcquisitionDateTime, "DT"},
    {tags::kManufacturer, "LO"},
    {tags::kCodeMeaning, "LO"},
    {tags::kTimezoneOffset, "SH"},
    {tags::kModelName, "LO"},
    {tags::kReferencedSeriesSequence, "SQ"},
    {tags::kReferencedImageSequence, "SQ"},
    {tags::kReferencedInstanceSequence, "SQ"},
    {tags::kReferencedSopInstanceUid, "UI"},
    {tags::kSliceSpacing, "DS"},
    {tags::kDeviceSerialNumber, "LO"},
    {tags::kSoftwareVersions, "LO"},
    {tags::kAcquisitionDuration, "FD"},
    {tags::kStudyInstanceUid, "UI"},
    {tags::kSeriesInstanceUid, "UI"},
    {tags::kFrameOfReferenceUid, "UI"},
    {tags::kConcatenationUid, "UI"},
    {tags::kConcatenationFrameOffset, "UL"},
    {tags::kDimensionOrganizationType, "CS"},
    {tags::kLightPathWavelength, "US"},
    {tags::kLightPathPassBand, "US"},
    {tags::kImagePathWavelength, "US"},
    {tags::kImagePathPassBand, "US"},
    {tags::kLensesCodeSequence, "SQ"},
    {tags::kSamplesPerPixel, "US"},
    {tags::kPhotometric, "CS"},
    {tags::kNumberOfFrames, "IS"},
    {tags::kRows, "US"},
    {tags::kColumns, "US"},
    {tags::kPixelSpacing, "DS"},
    {tags::kBitsAllocated, "US"},
    {tags::kBitsStored, "US"},
    {tags::kPaletteDescriptor, "US"},
    {tags::kRedPalette, "OW"},
    {tags::kGreenPalette, "OW"},
    {tags::kBluePalette, "OW"},
    {tags::kLossyRatio, "DS"},
    {tags::kPixelMeasuresSequence, "SQ"},
    {tags::kContainerIdentifier, "LO"},
    {tags::kZOffsetInSlide, "DS"},
    {tags::kTotalPixelMatrixColumns, "UL"},
    {tags::kTotalPixelMatrixRows, "UL"},
    {tags::kExtendedDepthOfField, "CS"},
    {tags::kNumberOfFocalPlanes, "US"},
    {tags::kDistanceBetweenFocalPlanes, "FL"},
    {tags::kOpticalPathSequence, "SQ"},
    {tags::kOpticalPathIdentifier, "SH"},
    {tags::kOpticalPathDescription, "ST"},
    {tags::kObjectiveLensPower, "DS"},
    {tags::kPaletteLutSequence, "SQ"},
    {tags::kOpticalPathIdentificationSequence, "SQ"},
    {tags::kPlanePositionSlideSequence, "SQ"},
    {tags::kColumnPositionInTotalMatrix, "SL"},
    {tags::kRowPositionInTotalMatrix, "SL"},
    {tags::kTotalPixelMatrixFocalPlanes, "UL"},
    {Tag(0x0062, 0x000d), "US"},  // Recommended Display CIELab Value
    {Tag(0x0066, 0x0016), "OF"},  // Point Coordinates Data
    {Tag(0x0066, 0x0022), "OD"},  // Double Point Coordinates Data
    {Tag(0x0066, 0x0040), "OL"},  // Long Primitive Point Index List
    {Tag(0x0066, 0x0121), "SQ"},  // Measurements Sequence
    {Tag(0x0066, 0x0125), "OF"},  // Floating Point Values
    {Tag(0x0066, 0x0132), "SQ"},  // Measurement Values Sequence
    {Tag(0x006a, 0x0001), "CS"},  // Annotation Coordinate Type
    {Tag(0x006a, 0x0002), "SQ"},  // Annotation Group Sequence
    {Tag(0x006a, 0x0003), "UI"},  // Annotation Group UID
    {Tag(0x006a, 0x0005), "LO"},  // Annotation Group Label
    {Tag(0x006a, 0x0006), "UT"},  // Annotation Group Description
    {Tag(0x006a, 0x0009), "SQ"},  // Annotation Property Category Code Sequence
    {Tag(0x006a, 0x000a), "SQ"},  // Annotation Property Type Code Sequence
    {Tag(0x006a, 0x000c), "UL"},  // Number of Annotations
    {Tag(0x006a, 0x000f), "CS"},  // Annotation Applies to All Optical Paths
    {Tag(0x0070, 0x0023), "CS"},  // Graphic Type
    {tags::kLabelText, "UT"},
    {tags::kBarcodeValue, "LT"},
    {tags::kSharedFunctionalGroups, "SQ"},
    {tags::kPerFrameFunctionalGroups, "SQ"},
    {tags::kExtendedOffsetTable, "OV"},
    {tags::kExtendedOffsetTableLengths, "OV"},
    {tags::kPixelData, "OB"},
};

constexpr bool Sorted() {
  for (size_t i = 1; i < std::size(kEntries); ++i) {
    if (kEntries[i - 1].tag >= kEntries[i].tag) return false;
  }
  return true;
}
static_assert(Sorted(), "the table is searched by bisection");

}  // namespace

std::string_view ImplicitVrOf(uint32_t tag) {
  const auto it = std::lower_bound(std::begin(kEntries), std::end(kEntries), tag,
                                   [](const Entry& e, uint32_t t) { return e.tag < t; });
  return it != std::end(kEntries) && it->tag == tag ? std::string_view(it->vr, 2) : std::string_view("UN");
}

}  // namespace dicominterop

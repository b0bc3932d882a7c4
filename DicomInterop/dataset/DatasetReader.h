// Reads one DICOM file's dataset (everything before Pixel Data) into an InstanceInfo with the
// project's own element reader. Thread-safe (no shared state). Results: WSI_OK; WSI_E_IO (cannot
// open), WSI_E_MALFORMED (not DICOM, truncated, unparsable, or declaring more frames than the
// file can hold), WSI_E_UNSUPPORTED (a SOP class the slide reader does not use).
#pragma once

#include <string>

#include "Dataset.h"
#include "InstanceInfo.h"

namespace dicominterop {

inline constexpr const char* kWholeSlideImageSopClass = "1.2.840.10008.5.1.4.1.1.77.1.6";
inline constexpr const char* kBulkAnnotationsSopClass = "1.2.840.10008.5.1.4.1.1.91.1";

// Reads what a bulk annotations instance holds into `info`; false when it cannot be read.
using AnnotationRead = bool (*)(const Dataset& ds, InstanceInfo& info);

// Bulk annotation instances are read by `readAnnotations` (WSI_E_UNSUPPORTED without one).
long ReadInstance(const std::string& path, InstanceInfo& info, AnnotationRead readAnnotations = nullptr);

// Maps a transfer syntax UID to the library's numbering (WSI_TS_OTHER when unknown).
DicomInteropDefines::EWSITransferSyntaxes TransferSyntaxNumber(const std::string& uid);

}  // namespace dicominterop

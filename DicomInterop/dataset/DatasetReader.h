// Reads one DICOM file's dataset with GDCM, stopping before Pixel Data, into an InstanceInfo.
// Thread-safe (no shared state). Results: WSI_OK; WSI_E_IO (cannot open), WSI_E_MALFORMED (not
// DICOM, truncated or unparsable), WSI_E_UNSUPPORTED (a SOP class the slide reader does not use).
#pragma once

#include <string>

#include "InstanceInfo.h"

namespace dicominterop {

inline constexpr const char* kWholeSlideImageSopClass = "1.2.840.10008.5.1.4.1.1.77.1.6";
inline constexpr const char* kBulkAnnotationsSopClass = "1.2.840.10008.5.1.4.1.1.91.1";

long ReadInstance(const std::string& path, InstanceInfo& info);

// Maps a transfer syntax UID to the library's numbering (WSI_TS_OTHER when unknown).
DicomInteropDefines::EWSITransferSyntaxes TransferSyntaxNumber(const std::string& uid);

}  // namespace dicominterop

// Transfer syntax UID -> the library's transfer-syntax numbering.
// Deflated and any other syntax count as WSI_TS_OTHER (not readable as tiles).
#include <array>
#include <utility>

#include "DatasetReader.h"

namespace dicominterop {

DicomInteropDefines::EWSITransferSyntaxes TransferSyntaxNumber(const std::string& uid) {
  using namespace DicomInteropDefines;
  static const std::array<std::pair<const char*, EWSITransferSyntaxes>, 16> kTable{{
      {"1.2.840.10008.1.2", WSI_TS_IMPLICIT_VR_LITTLE_ENDIAN},
      {"1.2.840.10008.1.2.1", WSI_TS_EXPLICIT_VR_LITTLE_ENDIAN},
      {"1.2.840.10008.1.2.2", WSI_TS_EXPLICIT_VR_BIG_ENDIAN},
      {"1.2.840.10008.1.2.4.50", WSI_TS_JPEG_BASELINE},
      {"1.2.840.10008.1.2.4.51", WSI_TS_JPEG_EXTENDED},
      {"1.2.840.10008.1.2.4.57", WSI_TS_JPEG_LOSSLESS},
      {"1.2.840.10008.1.2.4.70", WSI_TS_JPEG_LOSSLESS_SV1},
      {"1.2.840.10008.1.2.4.80", WSI_TS_JPEG_LS_LOSSLESS},
      {"1.2.840.10008.1.2.4.81", WSI_TS_JPEG_LS_NEAR_LOSSLESS},
      {"1.2.840.10008.1.2.4.91", WSI_TS_JPEG2000},
      {"1.2.840.10008.1.2.4.90", WSI_TS_JPEG2000_LOSSLESS},
      {"1.2.840.10008.1.2.4.93", WSI_TS_JPEG2000_PART2},
      {"1.2.840.10008.1.2.4.92", WSI_TS_JPEG2000_PART2_LOSSLESS},
      {"1.2.840.10008.1.2.4.201", WSI_TS_HTJ2K},
      {"1.2.840.10008.1.2.4.202", WSI_TS_HTJ2K},
      {"1.2.840.10008.1.2.4.203", WSI_TS_HTJ2K},
  }};
  for (const auto& [text, number] : kTable) {
    if (uid == text) return number;
  }
  return WSI_TS_OTHER;
}

}  // namespace dicominterop

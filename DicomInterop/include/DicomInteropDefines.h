// Transfer-syntax numbering and result codes of the slide library.
// Codes are 32-bit values widened to `long`: every failure is negative, 0 is success.
#pragma once

#include <cstdint>

namespace DicomInteropDefines {

// Numbering of the transfer syntaxes a slide may be stored in; any other syntax is WSI_TS_OTHER.
enum EWSITransferSyntaxes : long {
  WSI_TS_IMPLICIT_VR_LITTLE_ENDIAN = 0,
  WSI_TS_EXPLICIT_VR_LITTLE_ENDIAN = 1,
  WSI_TS_EXPLICIT_VR_BIG_ENDIAN = 2,
  WSI_TS_JPEG_BASELINE = 3,           // 1.2.840.10008.1.2.4.50
  WSI_TS_JPEG_EXTENDED = 4,           // .4.51
  WSI_TS_JPEG_LOSSLESS = 5,           // .4.57
  WSI_TS_JPEG_LOSSLESS_SV1 = 6,       // .4.70
  WSI_TS_JPEG_LS_LOSSLESS = 7,        // .4.80
  WSI_TS_JPEG_LS_NEAR_LOSSLESS = 8,   // .4.81
  WSI_TS_JPEG2000 = 9,                // .4.91
  WSI_TS_JPEG2000_LOSSLESS = 10,      // .4.90
  WSI_TS_JPEG2000_PART2 = 11,         // .4.93
  WSI_TS_JPEG2000_PART2_LOSSLESS = 12,// .4.92
  WSI_TS_HTJ2K = 13,                  // .4.201, .4.202, .4.203
  WSI_TS_OTHER = 14
};

constexpr long MakeCode(uint32_t code) { return static_cast<long>(static_cast<int32_t>(code)); }

// Result codes. As 32-bit HRESULT-like values they keep their hexadecimal form.
constexpr long WSI_OK = 0;
constexpr long WSI_E_INVALIDARG = MakeCode(0xB0000101);     // null pointer or value out of range
constexpr long WSI_E_LEVEL_ABSENT = MakeCode(0xB0000102);   // the slide has no such zoom level
constexpr long WSI_E_NOT_OPEN = MakeCode(0xB0000103);       // zoom image not opened / wrong kind
constexpr long WSI_E_IO = MakeCode(0xB0000104);             // a file could not be opened or read
constexpr long WSI_E_MALFORMED = MakeCode(0xB0000105);      // dataset or pixel data is corrupt
constexpr long WSI_E_NOT_FOUND = MakeCode(0xB0000106);      // the value is not stored in the slide
constexpr long WSI_E_OUTOFMEMORY = MakeCode(0xB0000107);
constexpr long WSI_E_PATH = MakeCode(0xB0000108);           // the slide path is not a directory
constexpr long WSI_E_UNSUPPORTED = MakeCode(0xB0000109);    // stored in a form this reader does not read
constexpr long WSI_E_STOP = MakeCode(0xB000012C);           // the source is closed: stop every level search

}  // namespace DicomInteropDefines

// Pure rules behind slide property values: compression names and lossiness of the slide
// library's transfer syntaxes, ROI size in tiles, software version numbers, acquisition dates.
// Stateless and thread-safe; failures are returned as HRESULTs, never logged here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "oleauto.h"

namespace SlidePropertyRules {

constexpr long kLastTransferSyntax = 13;

// False for 0 to 2 (uncompressed), true for 3 to 13; nullopt above 13 or below 0.
std::optional<bool> IsCompressed(long transferSyntax);
// True for 3, 4, 8, 9, 11, 13; nullopt outside 0 to 13.
std::optional<bool> IsLossy(long transferSyntax);
// "ILE_UNCOMPRESSED", "ELE_UNCOMPRESSED", "EBE_UNCOMPRESSED", "JPEG", "JPEGLS", "JPEG2000";
// null outside 0 to 13.
const char16_t* CompressionTypeName(long transferSyntax);

// Tile columns x 65536 + tile rows, each rounded up; nullopt for a zero tile size.
std::optional<int32_t> RoiSizeInTiles(uint32_t width, uint32_t height, uint32_t tileWidth, uint32_t tileHeight);

// Reads up to four digit runs a, b, c, d of a version text as a + b/100 + c/10^4 + d/10^10.
// A run that is out of range (or exactly 2147483647) counts as 0; E_INVALIDARG for an empty text.
HRESULT ParseSoftwareVersion(std::u16string_view text, double& version);

// A file time (100 ns units since 1601) as an automation date; E_INVALIDARG out of the date range.
HRESULT FileTimeToDate(int64_t fileTime, DATE& date);

// The shortest decimal text that reads back to exactly `value` ("20", "0.5").
std::u16string ShortestDecimalText(double value);

}  // namespace SlidePropertyRules

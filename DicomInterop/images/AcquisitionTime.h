// Conversion of a DICOM DT value (YYYYMMDDHHMMSS.FFFFFF&ZZXX) to a FILETIME count
// (100-nanosecond units since 1601-01-01). Pure; no time-zone database.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace dicominterop {

struct AcquisitionTime {
  uint64_t fileTime = 0;     // UTC when the zone is known, else the time as written
  int32_t zoneMinutes = -1000;  // offset of the written time from UTC; -1000 when unknown
};

// `fallbackZone` is Timezone Offset From UTC (0008,0201) ("+HHMM"), used when the value has none.
std::optional<AcquisitionTime> ParseDateTime(std::string_view dt, std::string_view fallbackZone);

}  // namespace dicominterop

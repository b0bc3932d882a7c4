// Fast slide identification: the series instance UID of a slide's whole-slide-image files read
// straight from the DICOM files of its directory, within a time limit, without the slide library.
// Thread-safe (no shared state); reports as CDicomZorvelImpl::GetSlideIDFast; see Scan for codes.
#pragma once

#include <chrono>
#include <string>

#include "windows.h"

namespace SlideIdScan {

constexpr std::chrono::nanoseconds kTimeLimit = std::chrono::seconds(1);

// S_OK with the UID in `id`, or S_OK with an empty `id` when the first DICOM file is no
// whole-slide image or no file holds a usable UID. E_FAIL when `limit` is exceeded; a read
// failure's code; an unreadable directory throws std::filesystem::filesystem_error.
HRESULT Scan(const std::u16string& directory, std::chrono::nanoseconds limit, std::u16string& id);

}  // namespace SlideIdScan

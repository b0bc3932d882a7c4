// Text helpers of the slide library: UTF-8 (dataset text, decoded as UTF-8 with Latin-1
// fallback for stray bytes) to UTF-16, shortest decimal text of numbers, and malloc'd copies
// handed to callers (released with CDicomInteropBase::Free).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace dicominterop {

std::u16string ToUtf16(std::string_view text);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);
std::string ShortestDecimal(double value);
// Copy of `text` with a terminating NUL, malloc'd; null when out of memory.
char16_t* MallocCopy(const std::u16string& text);
std::optional<double> ParseNumber(std::string_view text);

}  // namespace dicominterop

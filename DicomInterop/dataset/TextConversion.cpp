// Text helpers of the slide library (see TextConversion.h).
#include "TextConversion.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include <zplatform/text.h>

#include "Decimal.h"

namespace dicominterop {

std::u16string ToUtf16(std::string_view text) {
  return zplatform::Utf8ToUtf16(text, nullptr, zplatform::BadUtf8::Latin1);
}

std::string ToUtf8(std::u16string_view text) { return zplatform::Utf16ToUtf8(text); }

std::string ShortestDecimal(double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string();
}

char16_t* MallocCopy(const std::u16string& text) {
  auto* copy = static_cast<char16_t*>(std::malloc((text.size() + 1) * sizeof(char16_t)));
  if (!copy) return nullptr;
  std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return copy;
}

std::optional<double> ParseNumber(std::string_view text) { return attr::ParseDecimal(text); }

}  // namespace dicominterop

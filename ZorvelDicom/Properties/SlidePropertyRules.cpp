// Pure rules behind slide property values (see the header). The date conversion goes through
// the platform's system-time services to an automation date.
#include "Properties/SlidePropertyRules.h"

#include <charconv>
#include <climits>

#include "windows.h"

namespace SlidePropertyRules {
namespace {

bool IsKnownSyntax(long transferSyntax) { return transferSyntax >= 0 && transferSyntax <= kLastTransferSyntax; }

// The next run of decimal digits at or after `pos`, as a number; 0 when there is none.
int64_t NextDigitRun(std::u16string_view text, size_t& pos) {
  while (pos < text.size() && (text[pos] < u'0' || text[pos] > u'9')) ++pos;
  int64_t value = 0;
  bool overflow = false;
  for (; pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9'; ++pos) {
    if (!overflow) value = value * 10 + (text[pos] - u'0');
    if (value > INT_MAX) overflow = true;
  }
  if (overflow || value == INT_MAX) return 0;
  return value;
}

}  // namespace

std::optional<bool> IsCompressed(long transferSyntax) {
  if (!IsKnownSyntax(transferSyntax)) return std::nullopt;
  return transferSyntax > 2;
}

std::optional<bool> IsLossy(long transferSyntax) {
  switch (transferSyntax) {
    case 3: case 4: case 8: case 9: case 11: case 13:
      return true;
    default:
      if (!IsKnownSyntax(transferSyntax)) return std::nullopt;
      return false;
  }
}

const char16_t* CompressionTypeName(long transferSyntax) {
  static constexpr const char16_t* kNames[] = {u"ILE_UNCOMPRESSED", u"ELE_UNCOMPRESSED", u"EBE_UNCOMPRESSED"};
  if (!IsKnownSyntax(transferSyntax)) return nullptr;
  if (transferSyntax <= 2) return kNames[transferSyntax];
  if (transferSyntax <= 6) return u"JPEG";
  if (transferSyntax <= 8) return u"JPEGLS";
  return u"JPEG2000";
}

std::optional<int32_t> RoiSizeInTiles(uint32_t width, uint32_t height, uint32_t tileWidth, uint32_t tileHeight) {
  if (tileWidth == 0 || tileHeight == 0) return std::nullopt;
  const uint64_t columns = (uint64_t{width} + tileWidth - 1) / tileWidth;
  const uint64_t rows = (uint64_t{height} + tileHeight - 1) / tileHeight;
  return static_cast<int32_t>(static_cast<uint32_t>(columns * 65536 + rows));
}

HRESULT ParseSoftwareVersion(std::u16string_view text, double& version) {
  if (text.empty()) return E_INVALIDARG;
  static constexpr double kWeights[] = {1.0, 0.01, 0.0001, 0.0000000001};
  size_t pos = 0;
  double sum = 0.0;
  for (double weight : kWeights) sum += static_cast<double>(NextDigitRun(text, pos)) * weight;
  version = sum;
  return S_OK;
}

HRESULT FileTimeToDate(int64_t fileTime, DATE& date) {
  if (fileTime < 0) return E_INVALIDARG;
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(fileTime));
  time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(fileTime) >> 32);
  SYSTEMTIME system{};
  DOUBLE value = 0;
  if (!FileTimeToSystemTime(&time, &system) || !SystemTimeToVariantTime(&system, &value)) return E_INVALIDARG;
  date = value;
  return S_OK;
}

std::u16string ShortestDecimalText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::u16string(buffer, result.ptr);
}

}  // namespace SlidePropertyRules

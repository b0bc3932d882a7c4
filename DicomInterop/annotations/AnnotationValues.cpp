// Value conversions of annotations: UUID text of "2.25" UIDs and CIELab display colours.
#include <cmath>
#include <cstdio>

#include "AnnotationReader.h"

namespace dicominterop {

std::string UuidTextOf(const std::string& uid, uint64_t index) {
  if (uid.rfind("2.25.", 0) != 0 || uid.size() <= 5 || uid.size() > 5 + 39) return {};
  unsigned __int128 value = 0;
  for (size_t i = 5; i < uid.size(); ++i) {
    if (uid[i] < '0' || uid[i] > '9') return {};
    value = value * 10 + static_cast<unsigned>(uid[i] - '0');
  }
  value += index;
  const auto hi = static_cast<uint64_t>(value >> 64), lo = static_cast<uint64_t>(value);
  char text[40];
  std::snprintf(text, sizeof text, "%08X-%04X-%04X-%04X-%012llX", static_cast<unsigned>(hi >> 32),
                static_cast<unsigned>((hi >> 16) & 0xffff), static_cast<unsigned>(hi & 0xffff),
                static_cast<unsigned>(lo >> 48), static_cast<unsigned long long>(lo & 0xffffffffffffULL));
  return text;
}

uint32_t CieLabToRgb(uint16_t l16, uint16_t a16, uint16_t b16) {
  const double l = l16 * 100.0 / 65535.0, a = a16 * 255.0 / 65535.0 - 128.0, b = b16 * 255.0 / 65535.0 - 128.0;
  auto finv = [](double t) { return t > 6.0 / 29.0 ? t * t * t : 3.0 * (6.0 / 29.0) * (6.0 / 29.0) * (t - 4.0 / 29.0); };
  const double fy = (l + 16.0) / 116.0;
  const double x = 0.96422 * finv(fy + a / 500.0), y = finv(fy), z = 0.82521 * finv(fy - b / 200.0);  // D50
  const double r = 3.1338561 * x - 1.6168667 * y - 0.4906146 * z;  // XYZ(D50) -> linear sRGB (Bradford)
  const double g = -0.9787684 * x + 1.9161415 * y + 0.0334540 * z;
  const double bl = 0.0719453 * x - 0.2289914 * y + 1.4052427 * z;
  auto encode = [](double c) {
    c = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
    return static_cast<uint32_t>(std::lround(std::fmin(std::fmax(c, 0.0), 1.0) * 255.0));
  };
  return encode(r) << 16 | encode(g) << 8 | encode(bl);
}

}  // namespace dicominterop

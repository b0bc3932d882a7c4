// GUIDs: random version-4 creation and the registry text form "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
// (upper-case hex, braces), both ways. Text produced by StringFromCLSID is freed with CoTaskMemFree.
#include <array>
#include <random>

#include "objbase.h"

namespace {

constexpr int kGuidTextLength = 38;  // without the terminating NUL

// Byte order of the text: Data1 (4 bytes), Data2, Data3, then Data4 in two groups.
std::array<std::uint8_t, 16> TextOrderBytes(const GUID& g) {
  return {static_cast<std::uint8_t>(g.Data1 >> 24), static_cast<std::uint8_t>(g.Data1 >> 16),
          static_cast<std::uint8_t>(g.Data1 >> 8),  static_cast<std::uint8_t>(g.Data1),
          static_cast<std::uint8_t>(g.Data2 >> 8),  static_cast<std::uint8_t>(g.Data2),
          static_cast<std::uint8_t>(g.Data3 >> 8),  static_cast<std::uint8_t>(g.Data3),
          g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]};
}

bool IsDashPosition(int i) { return i == 9 || i == 14 || i == 19 || i == 24; }

void FormatGuid(const GUID& g, OLECHAR* out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto bytes = TextOrderBytes(g);
  int pos = 0;
  out[pos++] = u'{';
  for (std::size_t b = 0; b < bytes.size(); ++b) {
    if (IsDashPosition(pos)) out[pos++] = u'-';
    out[pos++] = static_cast<OLECHAR>(kHex[bytes[b] >> 4]);
    out[pos++] = static_cast<OLECHAR>(kHex[bytes[b] & 0xF]);
  }
  out[pos++] = u'}';
  out[pos] = 0;
}

int HexValue(OLECHAR c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

bool ParseGuid(LPCOLESTR text, GUID* out) {
  if (text[0] != u'{') return false;
  std::array<std::uint8_t, 16> bytes{};
  int pos = 1;
  for (auto& byte : bytes) {
    if (IsDashPosition(pos)) {
      if (text[pos++] != u'-') return false;
    }
    const int high = HexValue(text[pos]);
    const int low = high < 0 ? -1 : HexValue(text[pos + 1]);
    if (low < 0) return false;
    byte = static_cast<std::uint8_t>(high << 4 | low);
    pos += 2;
  }
  if (text[pos] != u'}' || text[pos + 1] != 0) return false;
  out->Data1 = static_cast<std::uint32_t>(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
  out->Data2 = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
  out->Data3 = static_cast<std::uint16_t>(bytes[6] << 8 | bytes[7]);
  for (int i = 0; i < 8; ++i) out->Data4[i] = bytes[8 + i];
  return true;
}

}  // namespace

STDAPI CoCreateGuid(GUID* pguid) {
  if (pguid == nullptr) return E_INVALIDARG;
  thread_local std::mt19937_64 generator{std::random_device{}()};
  const std::uint64_t high = generator();
  const std::uint64_t low = generator();
  pguid->Data1 = static_cast<std::uint32_t>(high >> 32);
  pguid->Data2 = static_cast<std::uint16_t>(high >> 16);
  pguid->Data3 = static_cast<std::uint16_t>((high & 0x0FFF) | 0x4000);  // version 4
  for (int i = 0; i < 8; ++i) pguid->Data4[i] = static_cast<std::uint8_t>(low >> (56 - 8 * i));
  pguid->Data4[0] = static_cast<std::uint8_t>((pguid->Data4[0] & 0x3F) | 0x80);  // RFC 4122 variant
  return S_OK;
}

STDAPI_(INT) StringFromGUID2(REFGUID rguid, LPOLESTR lpsz, INT cchMax) {
  if (lpsz == nullptr || cchMax < kGuidTextLength + 1) return 0;
  FormatGuid(rguid, lpsz);
  return kGuidTextLength + 1;
}

STDAPI StringFromCLSID(REFCLSID rclsid, LPOLESTR* lplpsz) {
  if (lplpsz == nullptr) return E_INVALIDARG;
  *lplpsz = static_cast<LPOLESTR>(CoTaskMemAlloc((kGuidTextLength + 1) * sizeof(OLECHAR)));
  if (*lplpsz == nullptr) return E_OUTOFMEMORY;
  FormatGuid(rclsid, *lplpsz);
  return S_OK;
}

STDAPI StringFromIID(REFIID rclsid, LPOLESTR* lplpsz) { return StringFromCLSID(rclsid, lplpsz); }

STDAPI CLSIDFromString(LPCOLESTR lpsz, LPCLSID pclsid) {
  if (pclsid == nullptr) return E_INVALIDARG;
  if (lpsz == nullptr || lpsz[0] == 0) {
    *pclsid = GUID_NULL;
    return S_OK;
  }
  if (!ParseGuid(lpsz, pclsid)) {
    *pclsid = GUID_NULL;
    return CO_E_CLASSSTRING;
  }
  return S_OK;
}

STDAPI IIDFromString(LPCOLESTR lpsz, LPIID lpiid) {
  const HRESULT hr = CLSIDFromString(lpsz, lpiid);
  return hr == CO_E_CLASSSTRING ? E_INVALIDARG : hr;
}

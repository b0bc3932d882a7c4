// Packing of the maximum pseudo colour and the SAFEARRAY form of a pseudo-colour table.
// The array is filled in place: no intermediate buffer.
#include "Render/PseudoColorLut.h"

#include <algorithm>

#include "ModuleLog.h"

namespace {

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr const char16_t* kFunction = u"CreateFinalPseudoColorLut";
constexpr uint32_t kEightBitTableLength = 256;

constexpr SeErrorReporter Report{kSource, kFunction};

}  // namespace

int32_t PackMaxPseudoColor(uint16_t a, uint16_t b, uint16_t c) {
  if (a <= 0xFF && b <= 0xFF && c <= 0xFF) return int32_t{a} | int32_t{b} << 8 | int32_t{c} << 16;
  return int32_t{a >> 8} | int32_t{b & 0xFF00} | int32_t{c & 0xFF00} << 8;
}

HRESULT CreateFinalPseudoColorLut(const uint16_t* entries, uint32_t n, VARIANT& out) {
  if (entries == nullptr && n != 0) return Report(1625, E_POINTER);
  const bool eightBit = n == kEightBitTableLength;
  SAFEARRAY* array = SafeArrayCreateVector(eightBit ? VT_UI1 : VT_UI2, 0, n);
  if (array == nullptr) return Report(1625, E_OUTOFMEMORY);
  void* data = nullptr;
  HRESULT hr = SafeArrayAccessData(array, &data);
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    return Report(1625, hr);
  }
  if (eightBit) {
    std::transform(entries, entries + n, static_cast<uint8_t*>(data),
                   [](uint16_t entry) { return static_cast<uint8_t>(entry & 0xFF); });
  } else {
    std::copy_n(entries, n, static_cast<uint16_t*>(data));
  }
  hr = SafeArrayUnaccessData(array);
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    return Report(1628, hr);
  }
  out.vt = VT_ARRAY | (eightBit ? VT_UI1 : VT_UI2);
  out.parray = array;
  return S_OK;
}

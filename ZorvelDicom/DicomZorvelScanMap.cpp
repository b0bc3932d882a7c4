// The scan map of the slide-access object: one byte per tile of a level (255 where the slide stores
// tiles), copied into a host bitmap of 8-bit grey lines whose stride is the width rounded up to 4.
// The library's map is released on every path; bytes between width and stride are not written.
#include <algorithm>

#include <DicomInteropBase.h>

#include "Decoder/DicomGeneralUtils.h"
#include "DicomZorvelImpl.h"
#include "ModuleLog.h"

namespace {

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr const char16_t* kGetScanMap = u"CDicomZorvelImpl::GetScanMap";
constexpr LONG kHighestLevel = 9;

constexpr SeErrorReporter Report{kSource, kGetScanMap};

// Owns the map the slide library handed out.
struct LibraryMap {
  uint8_t* bytes = nullptr;
  uint32_t width = 0, height = 0;
  LibraryMap() = default;
  LibraryMap(const LibraryMap&) = delete;
  LibraryMap& operator=(const LibraryMap&) = delete;
  ~LibraryMap() { CDicomInteropBase::Free(bytes); }
};

HRESULT CopyIntoBitmap(const LibraryMap& map, IKLVBitmapImage* picture) {
  const uint64_t stride = (uint64_t{map.width} + 3) & ~uint64_t{3};
  if (stride > 0x7FFFFFFF || map.height > 0x7FFFFFFF || stride * map.height > 0x7FFFFFFF) {
    return Report(2049, E_OUTOFMEMORY);
  }
  HRESULT hr = picture->Create(static_cast<LONG>(map.width), static_cast<LONG>(map.height), static_cast<LONG>(stride),
                               DicomGeneralUtils::kFormat8bppGrey);
  if (FAILED(hr)) return Report(2049, hr);
  char* bits = nullptr;
  hr = picture->LockBits(&bits);
  if (FAILED(hr) || bits == nullptr) return Report(2052, FAILED(hr) ? hr : E_FAIL);
  for (uint32_t row = 0; row < map.height; ++row) {
    std::copy_n(map.bytes + uint64_t{row} * map.width, map.width, bits + row * stride);
  }
  hr = picture->UnlockBits(bits);
  if (FAILED(hr)) return Report(2060, hr);
  return S_OK;
}

}  // namespace

// The first of level, level - 1, ..., 0 that opens, extended focus before normal at each level.
// m_csSlide held.
HRESULT CDicomZorvelImpl::OpenScanMapLevel(long level) {
  for (long candidate = level; candidate >= 0; --candidate) {
    for (const bool extended : {true, false}) {
      const HRESULT hr = ZoomLevelWalks::TryOpenZoomlevelFound(*this, candidate, extended);
      if (hr == ZoomLevelWalks::kStopCode) return hr;
      if (SUCCEEDED(hr)) return S_OK;
    }
  }
  return E_FAIL;
}

STDMETHODIMP CDicomZorvelImpl::GetScanMap(LONG Magnification, IKLVBitmapImage* pPicture) {
  if (Magnification < 0 || Magnification > kHighestLevel) return Report(2014, E_INVALIDARG);
  if (pPicture == nullptr) return Report(2018, E_INVALIDARG);
  try {
    LibraryMap map;
    {
      std::lock_guard slide(m_csSlide);
      HRESULT hr = CreateDicomSource();
      if (FAILED(hr)) return Report(2022, hr);
      // Level 0 is asked for before any level is opened; other levels need an opened level first.
      bool found = Magnification == 0 && m_spDirectorySource->GetScanmap(&map.bytes, 0, &map.width, &map.height);
      if (!found) {
        hr = OpenScanMapLevel(Magnification);
        if (FAILED(hr)) return Report(Magnification == 0 ? 2031 : 2041, hr);
        found = m_spDirectorySource->GetScanmap(&map.bytes, Magnification, &map.width, &map.height);
        if (!found) return Report(Magnification == 0 ? 2034 : 2044, E_FAIL);
      }
    }
    return CopyIntoBitmap(map, pPicture);
  } catch (...) {
    return Report(2022, E_FAIL);
  }
}

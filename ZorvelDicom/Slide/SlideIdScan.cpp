// Scans the files of a slide directory in 2000-byte windows: the first file with the DICOM
// marker must be a VL whole slide microscopy image; then element (0020,000E) is searched in each
// DICOM file, the next window starting 72 bytes before the end of the last so no element is cut.
#include "Slide/SlideIdScan.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>

#include <win/SeUtilFileIO.h>

#include "ModuleLog.h"

namespace SlideIdScan {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char16_t* kSource = u"DicomZorvel";
constexpr const char16_t* kFunction = u"CDicomZorvelImpl::GetSlideIDFast";
constexpr DWORD kWindow = 2000;
constexpr size_t kOverlap = 72;                    // element header (8 bytes) + the longest UID (64)
constexpr size_t kSearchEnd = kWindow - kOverlap;  // 1928
constexpr LONGLONG kMinimumFileSize = 150;
constexpr size_t kMarkerOffset = 128;
constexpr size_t kMetaStart = 132;
constexpr size_t kSopClassSearchEnd = 1961;
constexpr std::string_view kMarker = "DICM";
constexpr std::string_view kSopClassElement{"\x02\x00\x02\x00UI\x1E\x00", 8};
constexpr std::string_view kWsiSopClass = "1.2.840.10008.5.1.4.1.1.77.1.6";
constexpr std::string_view kSeriesUidElement{"\x20\x00\x0E\x00UI", 6};

constexpr SeErrorReporter Report{kSource, kFunction};

struct Window {
  std::array<char, kWindow> bytes{};
  DWORD valid = 0;      // bytes read into `bytes`
  LONGLONG offset = 0;  // file offset of bytes[0]
  std::string_view View() const { return {bytes.data(), valid}; }
};

class Scanner {
 public:
  explicit Scanner(std::chrono::nanoseconds limit) : m_deadline(Clock::now() + limit) {}
  HRESULT ScanFile(const std::filesystem::path& file, std::u16string& id);
  bool Decided() const { return m_decided; }
  bool IsSlide() const { return m_isSlide; }

 private:
  bool TimeIsUp() const { return Clock::now() > m_deadline; }
  HRESULT Read(CSeFileIO& file, Window& window);
  size_t CheckSopClass(const Window& window);
  HRESULT SearchUid(CSeFileIO& file, Window& window, size_t pos, std::u16string& id);
  static bool TakeUid(const Window& window, size_t pos, std::u16string& id);

  Clock::time_point m_deadline;
  bool m_decided = false;  // a DICOM file has been seen
  bool m_isSlide = false;  // ... and it was a whole-slide image
};

HRESULT Scanner::Read(CSeFileIO& file, Window& window) {
  const HRESULT hr = file.ReadFromFile(window.bytes.data(), kWindow, &window.offset, &window.valid);
  return FAILED(hr) ? Report(606, hr) : S_OK;
}

HRESULT Scanner::ScanFile(const std::filesystem::path& path, std::u16string& id) {
  CSeFileIO file;
  const std::u16string name = path.u16string();
  file.OpenFile(name.c_str(), GENERIC_READ, FILE_SHARE_READ);
  LONGLONG size = 0;
  if (FAILED(file.GetFileSize(size)) || size < kMinimumFileSize) return S_OK;
  if (TimeIsUp()) return Report(604, E_FAIL);
  Window window;
  HRESULT hr = Read(file, window);
  if (FAILED(hr)) return hr;
  if (window.valid < kMetaStart || window.View().substr(kMarkerOffset, kMarker.size()) != kMarker) return S_OK;
  size_t start = kMetaStart;
  if (!m_decided) {
    m_decided = true;
    start = CheckSopClass(window);
    m_isSlide = start != 0;
    if (!m_isSlide) return S_OK;
  }
  return SearchUid(file, window, start, id);
}

// The position after a whole-slide-image SOP class UID in the meta information; 0 when absent.
size_t Scanner::CheckSopClass(const Window& window) {
  const std::string_view view = window.View();
  const std::string_view searched = view.substr(0, std::min(view.size(), kSopClassSearchEnd + kSopClassElement.size()));
  const size_t found = searched.find(kSopClassElement, kMetaStart);
  if (found == std::string_view::npos) return 0;
  const size_t value = found + kSopClassElement.size();
  return view.substr(value, kWsiSopClass.size()) == kWsiSopClass ? value + kWsiSopClass.size() : 0;
}

HRESULT Scanner::SearchUid(CSeFileIO& file, Window& window, size_t pos, std::u16string& id) {
  for (;;) {
    const std::string_view view = window.View();
    for (pos = view.find(kSeriesUidElement, pos); pos < kSearchEnd && pos != std::string_view::npos;
         pos = view.find(kSeriesUidElement, pos + 1)) {
      if (TakeUid(window, pos, id)) return S_OK;
    }
    if (window.valid < kWindow) return S_OK;
    if (TimeIsUp()) return Report(639, E_FAIL);
    window.offset += static_cast<LONGLONG>(kSearchEnd);
    const HRESULT hr = Read(file, window);
    if (FAILED(hr)) return hr;
    pos = 0;
  }
}

// Reads the UID value of the element at `pos`: digits and '.' only, a trailing NUL dropped.
bool Scanner::TakeUid(const Window& window, size_t pos, std::u16string& id) {
  const size_t valueStart = pos + kSeriesUidElement.size() + 2;
  if (valueStart > window.valid) return false;
  const auto low = static_cast<unsigned char>(window.bytes[pos + 6]);
  const auto high = static_cast<unsigned char>(window.bytes[pos + 7]);
  const size_t length = low | (size_t{high} << 8);
  if (length == 0 || valueStart + length > window.valid) return false;
  id.clear();
  for (size_t i = 0; i < length; ++i) {
    const char c = window.bytes[valueStart + i];
    if ((c >= '0' && c <= '9') || c == '.') {
      id.push_back(static_cast<char16_t>(c));
    } else if (!(c == '\0' && i + 1 == length)) {
      id.clear();
      return false;
    }
  }
  return !id.empty();
}

}  // namespace

HRESULT Scan(const std::u16string& directory, std::chrono::nanoseconds limit, std::u16string& id) {
  id.clear();
  Scanner scanner(limit);
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(directory))) {
    std::error_code error;
    if (entry.is_directory(error)) continue;
    if (error && error != std::errc::no_such_file_or_directory) {
      throw std::filesystem::filesystem_error("directory_entry::status", entry.path(), error);
    }
    const HRESULT hr = scanner.ScanFile(entry.path(), id);
    if (FAILED(hr)) return hr;
    if (!id.empty() || (scanner.Decided() && !scanner.IsSlide())) return S_OK;
  }
  return S_OK;
}

}  // namespace SlideIdScan

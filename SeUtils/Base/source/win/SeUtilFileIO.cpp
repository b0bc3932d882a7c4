// CSeFileIO: open, positional or plain reads, size and pointer of one file through the platform's
// handles. Overlapped reads complete before ReadFile returns on this platform; the completion is
// still taken through the OVERLAPPED record and its event, as the platform's contract says.
#include "win/SeUtilFileIO.h"

#include "base/SeErrorHandler.h"
#include "base/SeSystemProperties.h"

namespace {

constexpr LPCWSTR kSource = u"SeUtilFileIO";

HRESULT LastErrorHResult() {
  const DWORD error = GetLastError();
  return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace

CSeFileIO::~CSeFileIO() {
  std::lock_guard lock(m_csFile);
  if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
  std::lock_guard events(m_csEvents);
  for (HANDLE event : m_eventPool) CloseHandle(event);
}

HRESULT CSeFileIO::OpenFile(LPCWSTR path, DWORD access, DWORD shareMode, bool overlapped, bool keepShareMode) {
  constexpr LPCWSTR kFunction = u"CSeFileIO::OpenFile";
  std::lock_guard lock(m_csFile);
  if (m_file != INVALID_HANDLE_VALUE) {
    if (const HRESULT hr = CloseLocked(1078); FAILED(hr)) return SeReportError(kSource, 1078, hr, kFunction);
  }
  const bool canOverlap = SeGetSystemCheckResult().IsNTPlatform();
  const bool useOverlapped = overlapped && canOverlap;
  if (keepShareMode && !canOverlap) shareMode = 0;
  SetLastError(ERROR_SUCCESS);
  HANDLE file = CreateFileW(path, access, shareMode, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | (useOverlapped ? FILE_FLAG_OVERLAPPED : 0), nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    SeGetErrorLogFile()->LogFormatted(kSource, 1087, u"%s", path ? path : u"");
    if (error) return SeReportError(kSource, 1088, HRESULT_FROM_WIN32(error), kFunction);
    return SeReportError(kSource, 1089, E_FAIL, kFunction);
  }
  m_file = file;
  m_overlapped = useOverlapped;
  m_path = path;
  m_access = access;
  return S_OK;
}

HRESULT CSeFileIO::ReadFromFile(void* buffer, DWORD size, const LONGLONG* offset, DWORD* bytesRead, HANDLE event,
                                OVERLAPPED* overlappedOut) {
  constexpr LPCWSTR kFunction = u"CSeFileIO::ReadFromFile";
  std::lock_guard lock(m_csFile);
  if (m_file == INVALID_HANDLE_VALUE) return SeReportError(kSource, 1440, E_HANDLE, kFunction);
  DWORD done = 0;
  HRESULT hr;
  if (m_overlapped) {
    if (offset == nullptr) return SeReportError(kSource, 1444, HRESULT_FROM_WIN32(ERROR_INVALID_FUNCTION), kFunction);
    hr = ReadOverlapped(buffer, size, *offset, done, event, overlappedOut);
  } else {
    hr = ReadPlain(buffer, size, offset, done);
  }
  if (FAILED(hr)) return SeReportError(kSource, 1478, hr, kFunction);
  if (bytesRead) {
    *bytesRead = done;
  } else if (done < size) {
    return SeReportError(kSource, 1483, HRESULT_FROM_WIN32(ERROR_HANDLE_EOF), kFunction);
  }
  return S_OK;
}

// m_csFile held. Reads at `offset`; completion is awaited through the OVERLAPPED's event.
HRESULT CSeFileIO::ReadOverlapped(void* buffer, DWORD size, LONGLONG offset, DWORD& done, HANDLE event,
                                  OVERLAPPED* out) {
  OVERLAPPED ov{};
  ov.u.s.Offset = static_cast<DWORD>(offset);
  ov.u.s.OffsetHigh = static_cast<DWORD>(static_cast<ULONGLONG>(offset) >> 32);
  ov.hEvent = event ? event : TakeEvent();
  HRESULT hr = S_OK;
  if (!ReadFile(m_file, buffer, size, nullptr, &ov) && GetLastError() != ERROR_IO_PENDING &&
      GetLastError() != ERROR_HANDLE_EOF) {
    hr = LastErrorHResult();
  } else if (!GetOverlappedResult(m_file, &ov, &done, TRUE) && GetLastError() != ERROR_HANDLE_EOF) {
    hr = LastErrorHResult();
  }
  if (out) *out = ov;
  if (event == nullptr) ReturnEvent(ov.hEvent);
  return hr;
}

// m_csFile held. Moves the pointer to `offset` when given, then reads.
HRESULT CSeFileIO::ReadPlain(void* buffer, DWORD size, const LONGLONG* offset, DWORD& done) {
  if (offset) {
    LARGE_INTEGER position{};
    position.QuadPart = *offset;
    if (!SetFilePointerEx(m_file, position, nullptr, FILE_BEGIN)) {
      return SeReportError(kSource, 1519, LastErrorHResult(), u"CSeFileIO::ReadFromFile");
    }
  }
  return ReadFile(m_file, buffer, size, &done, nullptr) ? S_OK : LastErrorHResult();
}

HRESULT CSeFileIO::GetFileSize(LONGLONG& size) {
  constexpr LPCWSTR kFunction = u"CSeFileIO::GetFileSize";
  std::lock_guard lock(m_csFile);
  if (m_file == INVALID_HANDLE_VALUE) return SeReportError(kSource, 1560, E_HANDLE, kFunction);
  LARGE_INTEGER value{};
  if (!GetFileSizeEx(m_file, &value)) return SeReportError(kSource, 1564, LastErrorHResult(), kFunction);
  size = value.QuadPart;
  return S_OK;
}

HRESULT CSeFileIO::SeekFile(LONGLONG distance, DWORD moveMethod, LONGLONG* newPosition) {
  constexpr LPCWSTR kFunction = u"CSeFileIO::SeekFile";
  std::lock_guard lock(m_csFile);
  if (m_file == INVALID_HANDLE_VALUE) return SeReportError(kSource, 1580, E_HANDLE, kFunction);
  LARGE_INTEGER move{}, result{};
  move.QuadPart = distance;
  if (!SetFilePointerEx(m_file, move, &result, moveMethod)) {
    return SeReportError(kSource, 1585, LastErrorHResult(), kFunction);
  }
  if (newPosition) *newPosition = result.QuadPart;
  return S_OK;
}

HRESULT CSeFileIO::GetCurrentFilePointer(LONGLONG& position) {
  constexpr LPCWSTR kFunction = u"CSeFileIO::GetCurrentFilePointer";
  std::lock_guard lock(m_csFile);
  if (m_file == INVALID_HANDLE_VALUE) return SeReportError(kSource, 1600, E_HANDLE, kFunction);
  LARGE_INTEGER zero{}, result{};
  if (!SetFilePointerEx(m_file, zero, &result, FILE_CURRENT)) {
    return SeReportError(kSource, 1605, LastErrorHResult(), kFunction);
  }
  position = result.QuadPart;
  return S_OK;
}

HRESULT CSeFileIO::CloseFile() {
  std::lock_guard lock(m_csFile);
  if (m_file == INVALID_HANDLE_VALUE) return SeReportError(kSource, 1620, E_HANDLE, u"CSeFileIO::CloseFile");
  return CloseLocked(1624);
}

// m_csFile held; a file is open.
HRESULT CSeFileIO::CloseLocked(INT line) {
  HANDLE file = m_file;
  m_file = INVALID_HANDLE_VALUE;
  m_overlapped = false;
  m_path.clear();
  m_access = 0;
  return CloseHandle(file) ? S_OK : SeReportError(kSource, line, LastErrorHResult(), u"CSeFileIO::CloseFile");
}

HANDLE CSeFileIO::TakeEvent() {
  std::lock_guard lock(m_csEvents);
  if (m_eventPool.empty()) return CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE event = m_eventPool.back();
  m_eventPool.pop_back();
  return event;
}

void CSeFileIO::ReturnEvent(HANDLE event) {
  if (event == nullptr) return;
  ResetEvent(event);
  std::lock_guard lock(m_csEvents);
  m_eventPool.push_back(event);
}

// CSeFileIO: reading a file through the platform's handles, plainly or with positional
// (overlapped) reads, as the fast slide identification uses it.
// One object may be shared by threads: opening, closing and reading are serialised on it.
// Failures are logged with the source "SeUtilFileIO"; without an open file calls fail with E_HANDLE.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "windows.h"

class CSeFileIO {
 public:
  CSeFileIO() = default;
  ~CSeFileIO();
  CSeFileIO(const CSeFileIO&) = delete;
  CSeFileIO& operator=(const CSeFileIO&) = delete;

  // Opens an existing file; overlapped only when wanted and the platform can; with
  // keepShareMode and no overlapped reading the share mode becomes 0.
  HRESULT OpenFile(LPCWSTR path, DWORD access, DWORD shareMode, bool overlapped = false, bool keepShareMode = false);
  // Reads `size` bytes. Overlapped mode needs an offset. Without `bytesRead`, a short read fails
  // with HRESULT_FROM_WIN32(ERROR_HANDLE_EOF). With an event the caller may take the completed
  // OVERLAPPED record through `overlappedOut`.
  HRESULT ReadFromFile(void* buffer, DWORD size, const LONGLONG* offset = nullptr, DWORD* bytesRead = nullptr,
                       HANDLE event = nullptr, OVERLAPPED* overlappedOut = nullptr);
  HRESULT GetFileSize(LONGLONG& size);
  HRESULT SeekFile(LONGLONG distance, DWORD moveMethod, LONGLONG* newPosition = nullptr);
  HRESULT GetCurrentFilePointer(LONGLONG& position);
  HRESULT CloseFile();

  bool IsOpen() const { return m_file != INVALID_HANDLE_VALUE; }
  bool IsOverlapped() const { return m_overlapped; }

 private:
  HRESULT CloseLocked(INT line);
  HRESULT ReadOverlapped(void* buffer, DWORD size, LONGLONG offset, DWORD& done, HANDLE event, OVERLAPPED* out);
  HRESULT ReadPlain(void* buffer, DWORD size, const LONGLONG* offset, DWORD& done);
  HANDLE TakeEvent();
  void ReturnEvent(HANDLE event);

  std::recursive_mutex m_csFile;    // open, close, seek and read of this object
  std::mutex m_csEvents;            // the pool of completion events
  std::vector<HANDLE> m_eventPool;  // owned auto-reset events
  HANDLE m_file = INVALID_HANDLE_VALUE;
  bool m_overlapped = false;
  std::u16string m_path;
  DWORD m_access = 0;
};

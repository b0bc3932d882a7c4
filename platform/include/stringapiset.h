// Conversions between UTF-16 and multi-byte text (UTF-8 and the 7-bit ASCII code page).
// Thread-safe; failures return 0 and set the last error (ERROR_INSUFFICIENT_BUFFER, ...).
#pragma once

#include "windef.h"

#define CP_ACP 0u
#define CP_UTF8 65001u
#define MB_ERR_INVALID_CHARS 0x00000008u
#define WC_ERR_INVALID_CHARS 0x00000080u

// cbMultiByte / cchWideChar of -1 means "up to and including the terminating NUL". A buffer size
// of 0 asks for the size needed. Without the ERR_INVALID_CHARS flag, ill-formed input becomes
// U+FFFD; with it the call fails with ERROR_NO_UNICODE_TRANSLATION. CP_ACP is treated as UTF-8.
extern "C" ZPLATFORM_API int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                                 LPWSTR lpWideCharStr, int cchWideChar);
extern "C" ZPLATFORM_API int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr,
                                                 int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte,
                                                 LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar);

#ifndef ERROR_NO_UNICODE_TRANSLATION
#define ERROR_NO_UNICODE_TRANSLATION 1113L
#endif

// Locale identifiers and the locale flags the automation conversions accept.
// Only English (United Kingdom), 2057, is formatted natively; other locales fall back to it.
#pragma once

#include "windef.h"

#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_ENGLISH_US 0x01
#define SUBLANG_ENGLISH_UK 0x02
#define SORT_DEFAULT 0x0
#define MAKELANGID(p, s) (static_cast<WORD>((static_cast<WORD>(s) << 10) | static_cast<WORD>(p)))
#define PRIMARYLANGID(lgid) (static_cast<WORD>(lgid) & 0x3FF)

#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_INVARIANT 0x007F
#define LOCALE_NOUSEROVERRIDE 0x80000000u
#define LOCALE_USE_NLS 0x10000000u

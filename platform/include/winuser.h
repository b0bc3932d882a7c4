// The one user-interface query the module makes: screen metrics (for tile read-ahead).
// Without a display the virtual screen is 1920 x 1080 pixels.
#pragma once

#include "windef.h"

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVIRTUALSCREEN 78
#define SM_CYVIRTUALSCREEN 79

// Screen and virtual-screen width and height; every other metric is 0.
extern "C" ZPLATFORM_API int GetSystemMetrics(int nIndex);

// Identity of the platform stand-in library, so a host can tell which build it loaded.
#include "windows.h"

extern "C" ZPLATFORM_API const char* ZPlatformVersion() { return "ZorvelPlatform 3.1.0"; }

// Umbrella header of the platform stand-in: basic types, status codes and the kernel services.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "winbase.h"

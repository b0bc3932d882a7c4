// Umbrella header of the platform stand-in: basic types, status codes and the kernel services.
#pragma once

#include "windef.h"
#include "winerror.h"
#include "winbase.h"
#include "interlockedapi.h"
#include "utilapiset.h"
#include "winnls.h"
#ifndef WIN32_LEAN_AND_MEAN
#include "objbase.h"
#endif

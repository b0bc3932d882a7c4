// Kernel services of the platform stand-in (files, directories, INI, paths, mutexes, times, memory).
#pragma once

#include "windef.h"
#include "winerror.h"

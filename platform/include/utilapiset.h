// Pointer encoding with a per-process secret, so cached function and object pointers are not
// stored in plain form. DecodePointer(EncodePointer(p)) == p within one process.
#pragma once

#include "windef.h"

extern "C" ZPLATFORM_API PVOID EncodePointer(PVOID ptr);
extern "C" ZPLATFORM_API PVOID DecodePointer(PVOID ptr);

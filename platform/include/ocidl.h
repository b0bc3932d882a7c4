// Control-related interfaces the automation declarations refer to by pointer only.
#pragma once

#include "oaidl.h"

DEFINE_GUID(IID_IPicture, 0x7BF80980, 0xBF32, 0x101A, 0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB);
struct IPicture;  // passed through as an opaque interface pointer; this platform draws no pictures

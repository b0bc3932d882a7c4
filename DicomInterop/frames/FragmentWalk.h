// Frame index of encapsulated pixel data (PS3.5 A.4): offset tables and the fragment-item walk.
// Offsets of both tables are relative to the first byte of the first fragment item after the
// Basic Offset Table item.
#pragma once

#include "FrameIndex.h"

namespace dicominterop {

long IndexEncapsulated(const PixelFile& file, const InstanceInfo& info, uint64_t itemsStart, FrameIndex& index);

}  // namespace dicominterop

// Frame index of encapsulated pixel data: the offset tables (Extended, else Basic) taken as
// stated, or a walk of the fragment items (small header reads, the kernel reading ahead).
// Offsets of both tables are relative to the first byte of the first fragment item after the
// Basic Offset Table.
#pragma once

#include "FrameIndex.h"

namespace dicominterop {

// From a table alone (index.headersChecked = false); WSI_E_NOT_FOUND when no table gives a
// plausible span for every frame (ascending, inside the file), so the caller walks instead.
long IndexFromOffsetTable(const PixelFile& file, const InstanceInfo& info, uint64_t itemsStart, FrameIndex& index);
// From a walk of every fragment item; a Basic Offset Table groups the fragments into frames.
long IndexByWalk(const PixelFile& file, const InstanceInfo& info, uint64_t itemsStart, FrameIndex& index);

}  // namespace dicominterop

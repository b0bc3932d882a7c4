// Fast reading of the plane positions in the Per-Frame Functional Groups Sequence: the value
// is read with one positional read and walked in memory (the toolkit's generic parse of tens of
// thousands of items costs seconds). Bounds-checked like the structure walk.
#pragma once

#include "InstanceInfo.h"
#include "StructureWalk.h"

namespace dicominterop {

// Fills info.framePositions (one per item). WSI_OK, WSI_E_MALFORMED, WSI_E_IO or WSI_E_UNSUPPORTED.
long ReadPerFramePositions(const FileStructure& structure, InstanceInfo& info);

}  // namespace dicominterop

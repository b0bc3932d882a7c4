// Plane positions of the Per-Frame Functional Groups Sequence, walked in place in the parsed
// file's bytes with the ElementReader (building a tree of tens of thousands of items would cost
// far more than the walk).
#pragma once

#include "FileParser.h"
#include "InstanceInfo.h"

namespace dicominterop {

// Fills info.framePositions (one per item) and counts in info.positionedFrames the items whose
// Plane Position (Slide) gives column and row. WSI_OK or WSI_E_MALFORMED.
long ReadPerFramePositions(const ParsedFile& parsed, InstanceInfo& info);

}  // namespace dicominterop

// Whole-slide-image attributes of a dataset: pixel format and tiling, optical paths with their
// palettes.
#pragma once

#include "Dataset.h"
#include "InstanceInfo.h"

namespace dicominterop {

void ReadImageGeometry(const Dataset& ds, InstanceInfo& info);
void ReadOpticalPaths(const Dataset& ds, InstanceInfo& info);

}  // namespace dicominterop

// Whole-slide-image attributes of a dataset: pixel format and tiling, optical paths with their
// palettes. GDCM types stay in the dataset folder.
#pragma once

#include <gdcmDataSet.h>

#include "InstanceInfo.h"

namespace dicominterop {

void ReadImageGeometry(const gdcm::DataSet& ds, InstanceInfo& info);
void ReadOpticalPaths(const gdcm::DataSet& ds, InstanceInfo& info);

}  // namespace dicominterop

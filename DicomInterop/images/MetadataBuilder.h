// The metadata of a served pyramid (CCommonWSIMetadata), built by the directory source once its
// scan has found the slide.
#pragma once

#include "../pyramid/SlideCatalog.h"
#include "CommonWSIMetadata.h"

namespace dicominterop {

// Standard attributes first, then the private block; `label` may be null.
CCommonWSIMetadata BuildMetadata(const Pyramid& pyramid, const InstanceInfo* label);

}  // namespace dicominterop

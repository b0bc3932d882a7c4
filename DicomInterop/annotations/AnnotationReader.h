// Reads Microscopy Bulk Simple Annotations datasets into AnnotationSet columns, and the
// series / instances they reference. Malformed groups are skipped; null only on no usable data.
#pragma once

#include <memory>

#include "../dataset/Dataset.h"

#include "../dataset/InstanceInfo.h"
#include "AnnotationSet.h"

namespace dicominterop {

std::shared_ptr<const AnnotationSet> ReadAnnotationSet(const Dataset& ds);
void ReadAnnotationReferences(const Dataset& ds, InstanceInfo& info);
// Both of the above into `info`; the annotation hook a directory scan hands to ReadInstance.
bool ReadAnnotations(const Dataset& ds, InstanceInfo& info);

// "2.25.<decimal>" UIDs are UUIDs (PS3.5 B.2): their UUID text plus `index`, upper case,
// 8-4-4-4-12; empty for other UIDs.
std::string UuidTextOf(const std::string& uid, uint64_t index);
// DICOM CIELab (PS3.3 C.10.7.1.1, 16-bit scaled) to sRGB 0x00RRGGBB.
uint32_t CieLabToRgb(uint16_t l, uint16_t a, uint16_t b);

}  // namespace dicominterop

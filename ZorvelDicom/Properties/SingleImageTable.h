// The single-image directories: the image types hosts may ask for and the listed single-image
// property tags. Constant data, safe from any thread.
#pragma once

#include <span>

#include "Properties/PropertyTagList.h"

namespace SingleImageTable {

constexpr LONG kLabel = 100;
constexpr LONG kOriginalPreview = 101;
constexpr LONG kGeneratedPreview = 102;
constexpr LONG kOverview = 103;

std::span<const PropertyTagRow> TypeRows();      // 100, 101, 102
std::span<const PropertyTagRow> PropertyRows();  // 500, 501, 502

}  // namespace SingleImageTable

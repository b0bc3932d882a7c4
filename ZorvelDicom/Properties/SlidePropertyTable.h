// The slide tag directory of the slide-access object: the listed slide properties in host order.
// Constant data, safe from any thread.
#pragma once

#include <span>

#include "Properties/PropertyTagList.h"

std::span<const PropertyTagRow> SlidePropertyRows();

// The slide's annotations as a GeoJSON FeatureCollection in level-0 pixels: slide flags as
// points, two-point measurements and open outlines as line strings, closed outlines as polygons,
// TMA markers as points with their diameters (micrometres).
#pragma once

#include <string>

#include "AnnotationReader.h"

namespace zorvel_serve {

std::string ToGeoJson(const zorvel_cli::SlideAnnotations& annotations);

}  // namespace zorvel_serve

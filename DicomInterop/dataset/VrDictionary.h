// Value representations of the attributes the slide library reads, for files in Implicit VR
// Little Endian, whose elements do not state their VR. The rule: an element's VR is looked up
// here; any other element is UN, kept as opaque bytes (a value of it read as a number or text is
// absent or as stored, never misread as a binary number of the wrong width).
#pragma once

#include <cstdint>
#include <string_view>

namespace dicominterop {

// The VR of `tag` ("SQ", "US", "DS" ...), or "UN" for an attribute the library does not read.
std::string_view ImplicitVrOf(uint32_t tag);

}  // namespace dicominterop

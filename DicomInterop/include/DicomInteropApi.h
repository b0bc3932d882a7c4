// Export macro of libDicomInterop.so, the DICOM whole-slide-image reader the module imports.
// Only classes and functions marked DICOMINTEROP_API are visible outside the library.
#pragma once

#define DICOMINTEROP_API __attribute__((visibility("default")))

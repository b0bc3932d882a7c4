// The one place where GDCM failures become slide-library codes: runs a GDCM step and turns a
// false result or any exception it throws into WSI_E_MALFORMED (or WSI_E_OUTOFMEMORY).
#pragma once

#include <exception>
#include <new>

#include "DicomInteropDefines.h"

namespace dicominterop {

template <class Step>
long RunGdcmStep(Step&& step) noexcept {
  try {
    return step() ? DicomInteropDefines::WSI_OK : DicomInteropDefines::WSI_E_MALFORMED;
  } catch (const std::bad_alloc&) {
    return DicomInteropDefines::WSI_E_OUTOFMEMORY;
  } catch (...) {
    return DicomInteropDefines::WSI_E_MALFORMED;
  }
}

}  // namespace dicominterop

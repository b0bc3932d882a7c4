// The module's own failure codes beside the standard HRESULTs.
#pragma once

#include <winerror.h>

namespace ModuleCodes {

constexpr HRESULT kLabelNotReadable = static_cast<HRESULT>(0x8103010Du);      // label or generated preview
constexpr HRESULT kImageNotAvailable = static_cast<HRESULT>(0x8103004Fu);     // preview-camera image or overview
constexpr HRESULT kThreeDimensionalAnnotations = static_cast<HRESULT>(0x8103015Fu);

}  // namespace ModuleCodes

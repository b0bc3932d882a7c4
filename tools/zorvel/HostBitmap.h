// The host bitmap a command hands to the module (the components' class, created as any host
// creates it) and the picture read back from it: lines packed, B, G, R (or grey) samples of 8 or
// 16 bits as the bitmap's pixel format says.
#pragma once

#include <KLVInterfaces/KLVHostObjects.h>

#include <zplatform/com_ptr.h>

#include "ModuleHost.h"
#include "PngWriter.h"

namespace zorvel_cli {

// Pixel formats a bitmap of the module carries.
inline constexpr LONG kFormatBgr24 = 0x00021808;
inline constexpr LONG kFormatBgr48 = 0x0010300C;

CallResult CreateHostBitmap(ComPtr<IKLVBitmapImage>& bitmap);

// Copies the bitmap's pixels into `picture`; a format other than 8-bit grey, 24-bit or 48-bit
// B, G, R fails with E_NOTIMPL naming the format.
CallResult ReadHostBitmap(IKLVBitmapImage* bitmap, DecodedImage& picture);

}  // namespace zorvel_cli

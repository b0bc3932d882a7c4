// GetImage as a host calls it.
#include "ModuleRender.h"

#include <oleauto.h>

namespace zorvel_cli {

CallResult RenderInto(IKLVZorvel* slide, const RegionRequest& request, IKLVBitmapImage* bitmap) {
  const TileRange& t = request.tiles;
  const HRESULT hr = slide->GetImage(static_cast<LONG>(t.x1), static_cast<LONG>(t.y1), static_cast<LONG>(t.x2),
                                     static_cast<LONG>(t.y2), request.level, request.channels[0], request.channels[1],
                                     request.channels[2], bitmap);
  return FAILED(hr) ? CallResult{hr, "GetImage"} : CallResult{};
}

CallResult RenderRegion(IKLVZorvel* slide, const RegionRequest& request, DecodedImage& picture) {
  ComPtr<IKLVBitmapImage> bitmap;
  CallResult result = CreateHostBitmap(bitmap);
  if (SUCCEEDED(result.hr)) result = RenderInto(slide, request, bitmap.Get());
  if (SUCCEEDED(result.hr)) result = ReadHostBitmap(bitmap.Get(), picture);
  return result;
}

CallResult SetHighBitDepthOutput(IKLVZorvel* slide, bool on) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_BOOL;
  value.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
  const HRESULT hr = slide->put_Properties(207, value);
  return FAILED(hr) ? CallResult{hr, "put_Properties(207)"} : CallResult{};
}

}  // namespace zorvel_cli

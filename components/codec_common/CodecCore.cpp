// The common request path of the codec cores: header, destination check, decode.
#include "CodecCore.h"

namespace Components {

HRESULT CodecCore::DecodeInto(const std::uint8_t* data, std::size_t size, std::uint8_t* bytes, std::size_t byteCount,
                              std::int32_t width, std::int32_t height, std::int32_t alignment,
                              std::int32_t type) const {
  if (data == nullptr || bytes == nullptr) return E_POINTER;
  ImageInfo info;
  HRESULT hr = ReadInfo(data, size, info);
  if (FAILED(hr)) return hr;
  Destination dest;
  hr = PlanDestination(info, bytes, byteCount, width, height, alignment, type, dest);
  if (FAILED(hr)) return hr;
  return Decode(data, size, info, dest);
}

}  // namespace Components

// libFuzzer target for one decoding core (JPEG or JPEG 2000, chosen at build time): header read,
// then a decode into a buffer sized from the header. Images beyond 4 megapixels are not decoded:
// their decode time grows with the size the caller asked for, and under the sanitizers a 12
// megapixel image alone takes seconds, which a loaded machine turns into timeouts.
#include <vector>

#include "codec_jp2k/Jp2kCodecCore.h"
#include "codec_jpeg/JpegCodecCore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ZORVEL_FUZZ_CORE core;
  Components::ImageInfo info{};
  if (FAILED(core.ReadInfo(data, size, info))) return 0;
  const uint64_t pixels = uint64_t{info.width} * info.height;
  if (info.width == 0 || info.height == 0 || pixels > (uint64_t{1} << 22)) return 0;
  const size_t stride = (static_cast<size_t>(info.width) * 3 * 2 + 3) & ~size_t{3};
  std::vector<uint8_t> out(stride * info.height);
  core.DecodeInto(data, size, out.data(), out.size(), static_cast<int32_t>(info.width),
                  static_cast<int32_t>(info.height), 4, static_cast<int32_t>(info.type));
  return 0;
}

// Grid cover, banding and the B, G, R to R, G, B(, A) copy of read_region.
#include "RegionLayout.h"

#include <algorithm>
#include <type_traits>

#include "BgrRows.h"

namespace zorvel_py {
namespace {

template <class Source, class Target>
Target Narrow(Source sample) {
  if constexpr (sizeof(Source) > sizeof(Target)) {
    return static_cast<Target>(sample >> 8);  // 16-bit sample to its high byte
  } else {
    return static_cast<Target>(sample);  // an 8-bit rendering into 16-bit memory keeps its values
  }
}

// Rows with a 16-bit side; `Channels` is a compile-time 3 or 4 so that the compiler unrolls the row.
template <class Source, class Target, int Channels>
void CopyRow(const Source* bgr, Target* out, std::int64_t count) {
  constexpr Target kOpaque = static_cast<Target>(~Target{0});
  for (std::int64_t i = 0; i < count; ++i, bgr += 3, out += Channels) {
    out[0] = Narrow<Source, Target>(bgr[2]);
    out[1] = Narrow<Source, Target>(bgr[1]);
    out[2] = Narrow<Source, Target>(bgr[0]);
    if constexpr (Channels == 4) out[3] = kOpaque;
  }
}

template <class Source, class Target>
void CopyRows(const RenderedBitmap& source, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
              const DestinationLayout& destination, std::int64_t regionX, std::int64_t regionY) {
  const std::ptrdiff_t sourceColumn = (x0 - source.originX) * 3 * static_cast<std::ptrdiff_t>(sizeof(Source));
  const std::ptrdiff_t targetColumn = (x0 - regionX) * destination.channels * static_cast<std::ptrdiff_t>(sizeof(Target));
  for (std::int64_t y = y0; y < y1; ++y) {
    const std::uint8_t* in = source.bits + (y - source.originY) * source.stride + sourceColumn;
    std::uint8_t* out = destination.pixels + (y - regionY) * destination.rowStride + targetColumn;
    if constexpr (std::is_same_v<Source, std::uint8_t> && std::is_same_v<Target, std::uint8_t>) {
      BgrToRgbRow(in, out, x1 - x0, destination.channels);
    } else if (destination.channels == 4) {
      CopyRow<Source, Target, 4>(reinterpret_cast<const Source*>(in), reinterpret_cast<Target*>(out), x1 - x0);
    } else {
      CopyRow<Source, Target, 3>(reinterpret_cast<const Source*>(in), reinterpret_cast<Target*>(out), x1 - x0);
    }
  }
}

}  // namespace

GridCover CoverRegion(const RegionRequest& region) {
  GridCover cover;
  cover.x0 = std::max<std::int64_t>(region.x, 0);
  cover.y0 = std::max<std::int64_t>(region.y, 0);
  cover.x1 = std::min(region.x + region.width, region.levelWidth);
  cover.y1 = std::min(region.y + region.height, region.levelHeight);
  cover.empty = region.width <= 0 || region.height <= 0 || cover.x0 >= cover.x1 || cover.y0 >= cover.y1;
  if (cover.empty) return cover;
  const zorvel_cli::TileRange tiles =
      zorvel_cli::TilesCovering({cover.x0, cover.y0, cover.x1 - cover.x0, cover.y1 - cover.y0}).tiles;
  cover.column0 = tiles.x1;
  cover.row0 = tiles.y1;
  cover.column1 = tiles.x2;
  cover.row1 = tiles.y2;
  return cover;
}

std::int64_t GridRowsPerBand(const GridCover& cover, int bitmapBytesPerSample, std::int64_t maxBytes) {
  const std::int64_t rowBytes = (cover.column1 - cover.column0 + 1) * kGridTile * 3 * bitmapBytesPerSample;
  return std::max<std::int64_t>(1, maxBytes / (rowBytes * kGridTile));
}

void CopyRendered(const RenderedBitmap& source, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1,
                  const DestinationLayout& destination, std::int64_t regionX, std::int64_t regionY) {
  if (x0 >= x1 || y0 >= y1) return;
  const bool wideSource = source.bytesPerSample == 2;
  const bool wideTarget = destination.bytesPerSample == 2;
  if (wideSource && wideTarget) {
    CopyRows<std::uint16_t, std::uint16_t>(source, x0, y0, x1, y1, destination, regionX, regionY);
  } else if (wideSource) {
    CopyRows<std::uint16_t, std::uint8_t>(source, x0, y0, x1, y1, destination, regionX, regionY);
  } else if (wideTarget) {
    CopyRows<std::uint8_t, std::uint16_t>(source, x0, y0, x1, y1, destination, regionX, regionY);
  } else {
    CopyRows<std::uint8_t, std::uint8_t>(source, x0, y0, x1, y1, destination, regionX, regionY);
  }
}

}  // namespace zorvel_py

// Placement kernels: one loop per line, lines in parallel where a line does real work per pixel.
#include "Render/TilePlacement.h"

#include <algorithm>
#include <cstring>

#include <ppl.h>

namespace Render {
namespace {

// Lines per parallel task: a task gets enough work to outweigh its scheduling.
constexpr int64_t kLinesPerTask = 16;

template <class Line>
void ForEachLine(int64_t first, int64_t last, const Line& line) {
  const int64_t count = last - first + 1;
  if (count <= kLinesPerTask) {
    for (int64_t y = first; y <= last; ++y) line(y);
    return;
  }
  const int64_t tasks = (count + kLinesPerTask - 1) / kLinesPerTask;
  Concurrency::parallel_for(int64_t{0}, tasks, [&](int64_t task) {
    const int64_t begin = first + task * kLinesPerTask;
    const int64_t end = std::min(last, begin + kLinesPerTask - 1);
    for (int64_t y = begin; y <= end; ++y) line(y);
  });
}

uint32_t ReadSample(const uint8_t* p, int bytes) { return bytes == 2 ? uint32_t{p[0]} | uint32_t{p[1]} << 8 : *p; }

void WriteSample(uint8_t* p, uint32_t value, int bytes) {
  p[0] = static_cast<uint8_t>(value);
  if (bytes == 2) p[1] = static_cast<uint8_t>(value >> 8);
}

// Destination of output pixel (X, Y) and source of tile pixel (u, v).
uint8_t* OutputAt(const OutputPixels& out, int64_t x, int64_t y) {
  return out.bits + y * out.stride + x * 3 * out.outputBytes;
}
const uint8_t* SourceAt(const SourcePixels& s, int64_t u, int64_t v) {
  return s.bytes + v * s.stride + u * s.samples * s.sourceBytes;
}

void Copy3Channels(const OutputPixels& out, const SourcePixels& s, const TileFootprint& f) {
  const size_t bytes = static_cast<size_t>(f.xLast - f.x0 + 1) * 3 * out.outputBytes;
  for (int64_t y = f.y0; y <= f.yLast; ++y) {
    std::memcpy(OutputAt(out, f.x0, y), SourceAt(s, f.skipX, f.skipY + y - f.y0), bytes);
  }
}

// One or three samples per pixel at d = 0, into the given slots; the high byte when the output
// has fewer bytes per sample than the source.
void CopySamples(const OutputPixels& out, const SourcePixels& s, const TileFootprint& f, int firstSlot) {
  const int highByte = s.sourceBytes > out.outputBytes ? 1 : 0;
  ForEachLine(f.y0, f.yLast, [&](int64_t y) {
    const uint8_t* in = SourceAt(s, f.skipX, f.skipY + y - f.y0);
    for (int64_t x = f.x0; x <= f.xLast; ++x) {
      uint8_t* pixel = OutputAt(out, x, y);
      for (int sample = 0; sample < s.samples; ++sample, in += s.sourceBytes) {
        std::memcpy(pixel + (firstSlot + sample) * out.outputBytes, in + highByte, out.outputBytes);
      }
    }
  });
}

// Mean of each sample over the block of output pixel (x, y): at most 2^d x 2^d source pixels,
// fewer where the tile ends; a full block divides by a shift.
void ShrinkPixel(const OutputPixels& out, const SourcePixels& s, const TileFootprint& f, int shift, int firstSlot,
                 int64_t x, int64_t y) {
  const int64_t side = int64_t{1} << shift;
  const int64_t u = f.skipX + (x - f.x0) * side;
  const int64_t v = f.skipY + (y - f.y0) * side;
  const int64_t columns = std::min(side, s.width - u);
  const int64_t rows = std::min(side, s.height - v);
  const bool full = columns == side && rows == side;
  const int reduceShift = s.sourceBytes == 2 && out.outputBytes == 1 ? 8 : 0;
  uint8_t* pixel = OutputAt(out, x, y);
  for (int sample = 0; sample < s.samples; ++sample) {
    uint32_t sum = 0;
    for (int64_t row = 0; row < rows; ++row) {
      const uint8_t* in = SourceAt(s, u, v + row) + sample * s.sourceBytes;
      for (int64_t column = 0; column < columns; ++column, in += s.samples * s.sourceBytes) {
        sum += ReadSample(in, s.sourceBytes);
      }
    }
    const uint32_t mean = full ? sum >> (2 * shift) : sum / static_cast<uint32_t>(columns * rows);
    WriteSample(pixel + (firstSlot + sample) * out.outputBytes, mean >> reduceShift, out.outputBytes);
  }
}

void CopyShrinked(const OutputPixels& out, const SourcePixels& s, const TileFootprint& f, int shift, int firstSlot) {
  ForEachLine(f.y0, f.yLast, [&](int64_t y) {
    for (int64_t x = f.x0; x <= f.xLast; ++x) ShrinkPixel(out, s, f, shift, firstSlot, x, y);
  });
}

void FillLines(const OutputPixels& out, int64_t firstLine, int64_t lastLine, int64_t offset, int64_t bytes,
               uint8_t value) {
  if (bytes <= 0) return;
  ForEachLine(firstLine, lastLine, [&](int64_t y) {
    std::memset(out.bits + y * out.stride + offset, value, static_cast<size_t>(bytes));
  });
}

}  // namespace

PlacementKind ChoosePlacement(int samples, int shift, bool reduce, int sourceBytes) {
  const bool plain = !reduce || sourceBytes == 1;
  if (samples == 3) {
    if (shift > 0) return PlacementKind::CopyShrinked3Channels;
    return plain ? PlacementKind::Copy3Channels : PlacementKind::Copy3ChannelsWithColorReduction;
  }
  if (shift > 0) return PlacementKind::CopyShrinkedFluor;
  return plain ? PlacementKind::CopyFluor : PlacementKind::CopyFluorWithColorReduction;
}

void PlaceTile(PlacementKind kind, const OutputPixels& out, const SourcePixels& source,
               const TileFootprint& footprint, int shift, int slot) {
  if (footprint.empty()) return;
  switch (kind) {
    case PlacementKind::Copy3Channels:
      if (source.sourceBytes == out.outputBytes) return Copy3Channels(out, source, footprint);
      return CopySamples(out, source, footprint, 0);
    case PlacementKind::Copy3ChannelsWithColorReduction: return CopySamples(out, source, footprint, 0);
    case PlacementKind::CopyShrinked3Channels: return CopyShrinked(out, source, footprint, shift, 0);
    case PlacementKind::CopyFluor:
    case PlacementKind::CopyFluorWithColorReduction: return CopySamples(out, source, footprint, slot);
    case PlacementKind::CopyShrinkedFluor: return CopyShrinked(out, source, footprint, shift, slot);
  }
}

void FillFootprint(const OutputPixels& out, const TileFootprint& f, uint8_t value, int slot) {
  if (f.empty()) return;
  const int64_t pixelBytes = 3 * int64_t{out.outputBytes};
  if (slot < 0) return FillLines(out, f.y0, f.yLast, f.x0 * pixelBytes, (f.xLast - f.x0 + 1) * pixelBytes, value);
  ForEachLine(f.y0, f.yLast, [&](int64_t y) {
    for (int64_t x = f.x0; x <= f.xLast; ++x) std::memset(OutputAt(out, x, y) + slot * out.outputBytes, value, out.outputBytes);
  });
}

void PaintBackground(const OutputPixels& out, const BackgroundLayout& l, uint64_t lockedBytes, uint8_t value) {
  if (!l.intersects) {
    std::memset(out.bits, value, static_cast<size_t>(lockedBytes));
    return;
  }
  FillLines(out, 0, l.topLines - 1, 0, l.rowBytes, value);
  FillLines(out, l.topLines, l.validRows - 1, 0, l.leftBytes, value);
  FillLines(out, l.topLines, l.validRows - 1, l.validRowBytes, l.rowBytes - l.validRowBytes, value);
  const int64_t lastLine = std::min<int64_t>(l.height, static_cast<int64_t>(lockedBytes) / out.stride) - 1;
  FillLines(out, l.validRows, lastLine, 0, out.stride, value);
}

}  // namespace Render

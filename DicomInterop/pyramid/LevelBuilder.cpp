// Builds a LevelData from the instances of one level: channels by optical path identifier,
// focal planes by Z offset, and the tile map from TILED_FULL order or per-frame positions.
// Reads no file: everything comes from the parsed datasets.
#include <algorithm>
#include <cmath>
#include <new>

#include "LevelData.h"
#include "PyramidMath.h"

namespace dicominterop {
namespace {

using namespace DicomInteropDefines;

// Tile maps beyond this many entries (2 GiB of map) come only from corrupt sizes.
constexpr double kMaxTileMapEntries = 268435456.0;
// A damaged Total Pixel Matrix size must not allocate a map far beyond the frames there are:
// even sparse levels cover a good part of their grid.
constexpr double kMaxTilesPerFrame = 64.0;
constexpr double kSmallTileMap = 65536.0;

double FrameCount(const std::vector<std::shared_ptr<const InstanceInfo>>& instances) {
  double frames = 0;
  for (const auto& inst : instances) frames += inst->frameCount;
  return frames;
}

bool SameFormat(const InstanceInfo& a, const InstanceInfo& b) {
  return a.rows == b.rows && a.columns == b.columns && a.samplesPerPixel == b.samplesPerPixel &&
         a.bitsAllocated == b.bitsAllocated && a.syntax == b.syntax && a.totalColumns == b.totalColumns &&
         a.totalRows == b.totalRows;
}

// Z offset of focal plane `plane` of a TILED_FULL instance: the position of the plane's first
// frame when the instance carries positions for it, else counted from the origin by the spacing.
double TiledFullPlaneZ(const InstanceInfo& info, uint32_t plane, uint64_t perPlane) {
  const uint64_t first = plane * perPlane;
  if (info.concatenationFrameOffset == 0 && first < info.framePositions.size()) return info.framePositions[first].z;
  const double base = std::isnan(info.originZ) ? 0.0 : info.originZ;
  const double step = std::isfinite(info.sliceSpacingMm) ? info.sliceSpacingMm * 1000.0 : 1.0;
  return base + plane * step;
}

uint32_t IndexOfZ(const std::vector<double>& planes, double z) {
  auto it = std::lower_bound(planes.begin(), planes.end(), z - 1e-6);
  return static_cast<uint32_t>(it - planes.begin());
}

uint32_t IndexOfChannel(const std::vector<OpticalPath>& channels, const std::string& id) {
  for (size_t i = 0; i < channels.size(); ++i) {
    if (channels[i].identifier == id) return static_cast<uint32_t>(i);
  }
  return 0;
}

// Z of every focal plane the instance's frames fall on. Only planes that hold frames count: the
// declared plane count is not trusted to size the work (a damaged one may say millions).
void AddTiledFullPlanes(std::vector<double>& planeZ, const InstanceInfo& inst, uint32_t across, uint32_t down) {
  const uint64_t perPlane = uint64_t{across} * down;
  const uint64_t end = uint64_t{inst.concatenationFrameOffset} + inst.frameCount;
  for (uint64_t frame = inst.concatenationFrameOffset; frame < end; frame += perPlane - frame % perPlane) {
    planeZ.push_back(TiledFullPlaneZ(inst, TiledFullAddress(frame, across, down, inst.focalPlaneCount).plane, perPlane));
  }
}

// Sorted, with values closer than the tolerance taken as one plane.
void SortUniqueZ(std::vector<double>& planes) {
  std::sort(planes.begin(), planes.end());
  planes.erase(std::unique(planes.begin(), planes.end(), [](double a, double b) { return std::fabs(b - a) <= 1e-6; }),
               planes.end());
}

void CollectPlanesAndChannels(LevelData& d, const std::vector<std::shared_ptr<const InstanceInfo>>& used) {
  for (const auto& inst : used) {
    for (const OpticalPath& path : inst->opticalPaths) {
      const bool known = std::any_of(d.channels.begin(), d.channels.end(),
                                     [&](const OpticalPath& c) { return c.identifier == path.identifier; });
      if (!known) d.channels.push_back(path);
    }
    if (inst->PlacedByPositions()) {
      for (const FramePosition& f : inst->framePositions) d.planeZ.push_back(f.z);
    } else {
      AddTiledFullPlanes(d.planeZ, *inst, d.across, d.down);
    }
  }
  if (d.planeZ.empty()) d.planeZ.push_back(0.0);
  SortUniqueZ(d.planeZ);
}

void MapTiledFull(LevelData& d, uint32_t part, const InstanceInfo& inst) {
  const uint64_t perPlane = uint64_t{d.across} * d.down;
  for (uint32_t f = 0; f < inst.frameCount; ++f) {
    const FullTileAddress a = TiledFullAddress(uint64_t{inst.concatenationFrameOffset} + f, d.across, d.down,
                                               inst.focalPlaneCount);
    if (a.path >= inst.opticalPaths.size()) continue;
    const uint32_t channel = IndexOfChannel(d.channels, inst.opticalPaths[a.path].identifier);
    const uint32_t plane = IndexOfZ(d.planeZ, TiledFullPlaneZ(inst, a.plane, perPlane));
    const size_t i = ((size_t{channel} * d.planeZ.size() + plane) * d.down + a.row) * d.across + a.column;
    d.tiles[i] = {part, f};
  }
}

void MapByPositions(LevelData& d, uint32_t part, const InstanceInfo& inst) {
  for (uint32_t f = 0; f < inst.frameCount; ++f) {
    const FramePosition& p = inst.framePositions[f];
    if (p.column < 1 || p.row < 1) continue;
    const uint64_t column = static_cast<uint64_t>(p.column - 1) / d.tileWidth;
    const uint64_t row = static_cast<uint64_t>(p.row - 1) / d.tileHeight;
    if (column >= d.across || row >= d.down || static_cast<size_t>(p.pathIndex) >= inst.opticalPaths.size()) continue;
    const uint32_t channel = IndexOfChannel(d.channels, inst.opticalPaths[p.pathIndex].identifier);
    const uint32_t plane = IndexOfZ(d.planeZ, p.z);
    const size_t i = ((size_t{channel} * d.planeZ.size() + plane) * d.down + row) * d.across + column;
    d.tiles[i] = {part, f};
  }
}

}  // namespace

long BuildLevel(const std::vector<std::shared_ptr<const InstanceInfo>>& instances, bool extended, int32_t level,
                bool validate, std::shared_ptr<const LevelData>& out) {
  if (instances.empty()) return WSI_E_LEVEL_ABSENT;
  try {
    std::vector<std::shared_ptr<const InstanceInfo>> used;
    for (const auto& inst : instances) {
      if (SameFormat(*inst, *instances.front())) used.push_back(inst);
      else if (validate) return WSI_E_MALFORMED;
    }
    auto d = std::make_shared<LevelData>();
    d->extended = extended;
    d->level = level;
    d->representative = used.front();
    d->tileWidth = used.front()->columns;
    d->tileHeight = used.front()->rows;
    d->across = TileCount(used.front()->totalColumns, d->tileWidth);
    d->down = TileCount(used.front()->totalRows, d->tileHeight);
    if (d->across == 0 || d->down == 0) return WSI_E_MALFORMED;
    d->tiledFull = std::none_of(used.begin(), used.end(), [](const auto& i) { return i->PlacedByPositions(); });
    CollectPlanesAndChannels(*d, used);
    const double entries = double(d->channels.size()) * double(d->planeZ.size()) * d->down * d->across;
    if (entries > kMaxTileMapEntries || entries > kMaxTilesPerFrame * FrameCount(used) + kSmallTileMap) {
      return WSI_E_UNSUPPORTED;
    }
    d->tiles.assign(d->channels.size() * d->planeZ.size() * d->down * d->across, FrameRef{});
    for (const auto& inst : used) {
      const auto part = static_cast<uint32_t>(d->parts.size());
      d->parts.push_back(std::make_shared<InstanceFrames>(inst));
      if (inst->PlacedByPositions()) MapByPositions(*d, part, *inst);
      else MapTiledFull(*d, part, *inst);
    }
    out = std::move(d);
    return WSI_OK;
  } catch (const std::bad_alloc&) {
    return WSI_E_OUTOFMEMORY;
  }
}

}  // namespace dicominterop

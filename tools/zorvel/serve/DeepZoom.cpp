// Deep Zoom grid arithmetic.
#include "DeepZoom.h"

#include <algorithm>

namespace zorvel_serve {
namespace {

constexpr int kLastModuleLevel = 9;

std::int64_t Shrunk(std::int64_t size, int shift) { return std::max<std::int64_t>(1, (size + (std::int64_t{1} << shift) - 1) >> shift); }

std::int64_t CeilDiv(std::int64_t value, std::int64_t divisor) { return (value + divisor - 1) / divisor; }

}  // namespace

int DeepZoomGrid::LevelCount() const {
  std::int64_t longer = std::max<std::int64_t>(1, std::max(width, height));
  int levels = 1;
  while (longer > 1) {
    longer = (longer + 1) / 2;
    ++levels;
  }
  return levels;
}

std::int64_t DeepZoomGrid::LevelWidth(int level) const { return Shrunk(width, LevelCount() - 1 - level); }

std::int64_t DeepZoomGrid::LevelHeight(int level) const { return Shrunk(height, LevelCount() - 1 - level); }

std::int64_t DeepZoomGrid::Columns(int level) const { return CeilDiv(LevelWidth(level), tileSize); }

std::int64_t DeepZoomGrid::Rows(int level) const { return CeilDiv(LevelHeight(level), tileSize); }

std::optional<TilePlan> PlanTile(const DeepZoomGrid& grid, int level, std::int64_t column, std::int64_t row) {
  if (level < 0 || level >= grid.LevelCount() || column < 0 || row < 0) return std::nullopt;
  if (column >= grid.Columns(level) || row >= grid.Rows(level)) return std::nullopt;
  TilePlan plan;
  const std::int64_t levelWidth = grid.LevelWidth(level), levelHeight = grid.LevelHeight(level);
  plan.x = column * grid.tileSize - (column > 0 ? grid.overlap : 0);
  plan.y = row * grid.tileSize - (row > 0 ? grid.overlap : 0);
  plan.width = std::min(levelWidth, (column + 1) * grid.tileSize + grid.overlap) - plan.x;
  plan.height = std::min(levelHeight, (row + 1) * grid.tileSize + grid.overlap) - plan.y;
  const int shrink = grid.LevelCount() - 1 - level;
  plan.moduleLevel = std::min(shrink, kLastModuleLevel);
  plan.extraShrink = shrink - plan.moduleLevel;
  return plan;
}

}  // namespace zorvel_serve

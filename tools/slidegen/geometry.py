# Pyramid and tile arithmetic of a generated slide: level sizes, tile grids, pixel spacing,
# slide coordinates and the deterministic choice of tiles left out of sparse levels.
import math
import random

BASE_PIXEL_SPACING_MM = 0.00025  # level 0: 0.25 micrometres per pixel
ORIGIN_MM = (20.0, 40.0)  # slide coordinates of the top left corner of the total pixel matrix


class Level:
    """One pyramid level: level 0 shrunk by 2^index (sizes rounded up)."""

    def __init__(self, index, width0, height0, tile_width, tile_height):
        self.index = index
        self.width = max(1, math.ceil(width0 / 2 ** index))
        self.height = max(1, math.ceil(height0 / 2 ** index))
        self.tile_width = tile_width
        self.tile_height = tile_height
        self.columns = math.ceil(self.width / tile_width)
        self.rows = math.ceil(self.height / tile_height)
        self.spacing_column = BASE_PIXEL_SPACING_MM * width0 / self.width   # mm between columns
        self.spacing_row = BASE_PIXEL_SPACING_MM * height0 / self.height    # mm between rows

    def tile_positions(self):
        return [(row, col) for row in range(self.rows) for col in range(self.columns)]

    def slide_xy(self, row, col):
        """Slide coordinates (mm) of the top left pixel of tile (row, col)."""
        return (ORIGIN_MM[0] + col * self.tile_width * self.spacing_column,
                ORIGIN_MM[1] + row * self.tile_height * self.spacing_row)


def default_levels(width0, height0, tile_width, tile_height):
    """Levels 0, 1, ... down to the first one that fits in one tile."""
    levels = [0]
    while True:
        level = Level(levels[-1], width0, height0, tile_width, tile_height)
        if level.columns == 1 and level.rows == 1:
            return levels
        levels.append(levels[-1] + 1)


def missing_tiles(level, count, seed):
    """The tile positions a sparse level leaves out; at least one tile is kept."""
    positions = level.tile_positions()
    count = min(count, len(positions) - 1)
    if count <= 0:
        return set()
    return set(random.Random(seed * 1009 + level.index).sample(positions, count))


def focal_plane_offsets(count, spacing_um):
    """Z offset (micrometres) of each focal plane, increasing from 0."""
    return [round(i * spacing_um, 6) for i in range(count)]

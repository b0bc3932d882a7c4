"""Deep Zoom tiles of a ZorvelSlide: the tile grid, members and tiles of OpenSlide's
DeepZoomGenerator, rendered through ZorvelSlide.read_region.

Deep Zoom level n has the slide's level-0 size halved (rounding up) (count - 1 - n) times; its
tiles are `tile_size` pixels plus `overlap` pixels on each side that has a neighbour. A tile is read
from the slide level best suited to its downsample and scaled down with Lanczos when that level is
finer than the Deep Zoom level.
"""
import io
import math
from xml.etree.ElementTree import Element, ElementTree, SubElement

from PIL import Image

from ._slide import PROPERTY_NAME_BACKGROUND_COLOR

_LANCZOS = getattr(Image, "Resampling", Image).LANCZOS
_BOUNDS_OFFSET = ("zorvel.bounds-x", "zorvel.bounds-y")
_BOUNDS_SIZE = ("zorvel.bounds-width", "zorvel.bounds-height")


class DeepZoomGenerator:
    """Deep Zoom tiles of `slide` (a ZorvelSlide or any object with its members)."""

    def __init__(self, slide, tile_size=254, overlap=1, limit_bounds=False):
        self._slide = slide
        self._tile_size = tile_size
        self._overlap = overlap
        self._offset, self._slide_level_sizes = self._active_area(slide, limit_bounds)
        self._dz_sizes = self._deep_zoom_sizes(self._slide_level_sizes[0])
        self._tile_counts = tuple(tuple(math.ceil(side / tile_size) for side in size) for size in self._dz_sizes)
        count = len(self._dz_sizes)
        level0_downsamples = [2 ** (count - level - 1) for level in range(count)]
        self._slide_levels = tuple(slide.get_best_level_for_downsample(d) for d in level0_downsamples)
        self._dz_downsamples = tuple(
            level0_downsamples[level] / slide.level_downsamples[self._slide_levels[level]] for level in range(count))
        self._background = "#" + slide.properties.get(PROPERTY_NAME_BACKGROUND_COLOR, "ffffff")

    @staticmethod
    def _active_area(slide, limit_bounds):
        if not limit_bounds:
            return (0, 0), slide.level_dimensions
        props = slide.properties
        offset = tuple(int(props.get(name, 0)) for name in _BOUNDS_OFFSET)
        scale = tuple(int(props.get(name, full)) / full for name, full in zip(_BOUNDS_SIZE, slide.dimensions))
        sizes = tuple(tuple(int(math.ceil(side * factor)) for side, factor in zip(size, scale))
                      for size in slide.level_dimensions)
        return offset, sizes

    @staticmethod
    def _deep_zoom_sizes(size):
        sizes = [size]
        while size[0] > 1 or size[1] > 1:
            size = tuple(max(1, int(math.ceil(side / 2))) for side in size)
            sizes.append(size)
        return tuple(reversed(sizes))

    def __repr__(self):
        return (f"{self.__class__.__name__}({self._slide!r}, tile_size={self._tile_size!r}, "
                f"overlap={self._overlap!r})")

    @property
    def level_count(self):
        return len(self._dz_sizes)

    @property
    def level_tiles(self):
        return self._tile_counts

    @property
    def level_dimensions(self):
        return self._dz_sizes

    @property
    def tile_count(self):
        return sum(columns * rows for columns, rows in self._tile_counts)

    def get_tile(self, level, address):
        """RGB PIL image of tile `address` (column, row) of Deep Zoom level `level`."""
        arguments, size = self._tile_info(level, address)
        region = self._slide.read_region(*arguments)
        tile = Image.new("RGB", region.size, self._background)
        tile.paste(region, None, region)
        if tile.size != size:
            tile.thumbnail(size, _LANCZOS)
        return tile

    def get_tile_coordinates(self, level, address):
        """The read_region arguments (level-0 location, slide level, size) of a tile."""
        return self._tile_info(level, address)[0]

    def get_tile_dimensions(self, level, address):
        return self._tile_info(level, address)[1]

    def _tile_info(self, level, address):
        if not 0 <= level < self.level_count:
            raise ValueError("Invalid level")
        columns_rows = self._tile_counts[level]
        if len(address) != 2 or not all(0 <= t < limit for t, limit in zip(address, columns_rows)):
            raise ValueError("Invalid address")
        slide_level = self._slide_levels[level]
        before = tuple(self._overlap * int(t != 0) for t in address)
        after = tuple(self._overlap * int(t != limit - 1) for t, limit in zip(address, columns_rows))
        size = tuple(min(self._tile_size, side - self._tile_size * t) + b + a
                     for t, side, b, a in zip(address, self._dz_sizes[level], before, after))
        dz_downsample = self._dz_downsamples[level]
        level_location = [dz_downsample * (self._tile_size * t - b) for t, b in zip(address, before)]
        slide_downsample = self._slide.level_downsamples[slide_level]
        location = tuple(int(slide_downsample * l + off) for l, off in zip(level_location, self._offset))
        level_size = tuple(int(min(math.ceil(dz_downsample * s), limit - math.ceil(l)))
                           for l, s, limit in zip(level_location, size, self._slide_level_sizes[slide_level]))
        return (location, slide_level, level_size), size

    def get_dzi(self, format):
        """The .dzi XML text describing the image; `format` is the tile file type ("jpeg", "png")."""
        image = Element("Image", TileSize=str(self._tile_size), Overlap=str(self._overlap), Format=format,
                        xmlns="http://schemas.microsoft.com/deepzoom/2008")
        width, height = self._slide_level_sizes[0]
        SubElement(image, "Size", Width=str(width), Height=str(height))
        buffer = io.BytesIO()
        ElementTree(element=image).write(buffer, encoding="UTF-8")
        return buffer.getvalue().decode("UTF-8")

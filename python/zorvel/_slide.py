"""ZorvelSlide: a DICOM whole-slide image read through ZorvelDicom.so, with the members of an
OpenSlide object (level-0 coordinates, RGBA regions transparent outside the slide) and numpy arrays.
"""
import math
import os
import threading
from collections.abc import Mapping

import numpy as np
from PIL import Image

from . import _location, _zorvel
from ._errors import ZorvelError

PROPERTY_NAME_VENDOR = "zorvel.vendor"
PROPERTY_NAME_MPP_X = "zorvel.mpp-x"
PROPERTY_NAME_MPP_Y = "zorvel.mpp-y"
PROPERTY_NAME_OBJECTIVE_POWER = "zorvel.objective-power"
PROPERTY_NAME_LEVEL_COUNT = "zorvel.level-count"
PROPERTY_NAME_BACKGROUND_COLOR = "zorvel.background-color"

VENDOR = "dicom"

# Slide property tags of the module.
_TAG_WIDTH, _TAG_HEIGHT = 306, 307
_TAG_MPP_X, _TAG_MPP_Y = 308, 309
_TAG_CHANNEL_COUNT = 313
_TAG_SLIDE_TYPE = 320  # 1: brightfield, 2: fluorescence
_TAG_OBJECTIVE = 321
_TAG_BIT_DEPTH = 327
_TAG_HAS_ZSTACK, _TAG_HAS_EXTENDED, _TAG_ZSTACK_COUNT, _TAG_ZERO_FOCUS = 328, 329, 330, 375
_TAG_LEVEL_LIST = 414
_KEY_HIGH_BIT_DEPTH = 207
_CHANNEL_NAME, _CHANNEL_PSEUDO_COLOR, _CHANNEL_EXCITATION, _CHANNEL_EMISSION = 400, 402, 412, 414
_MAX_LEVEL = 9

# Associated images by OpenSlide's names: the module's single-image types.
_ASSOCIATED = {"label": 100, "thumbnail": 102, "overview": 103}

E_INVALIDARG = 0x80070057
E_NOTIMPL = 0x80004001
_LANCZOS = getattr(Image, "Resampling", Image).LANCZOS


def _module_path():
    configured = os.environ.get("ZORVEL_MODULE")
    if configured:
        return configured
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.normpath(os.path.join(here, _location.MODULE_DIR, "ZorvelDicom.so"))


def _number(text, kind=float):
    try:
        return kind(text)
    except (TypeError, ValueError):
        return None


class _Properties(Mapping):
    """Read-only mapping of property name to text, read once when first used."""

    def __init__(self, load):
        self._load = load
        self._values = None

    def _data(self):
        if self._values is None:
            self._values = self._load()
        return self._values

    def __getitem__(self, key):
        return self._data()[key]

    def __iter__(self):
        return iter(self._data())

    def __len__(self):
        return len(self._data())

    def __repr__(self):
        return f"<_Properties {dict(self._data())!r}>"


class _AssociatedImages(Mapping):
    """Lazy mapping of associated-image name to an RGBA PIL image; an image is decoded when read."""

    def __init__(self, slide):
        self._slide = slide
        self._names = None

    def _present(self):
        if self._names is None:
            names = []
            for name, image_type in _ASSOCIATED.items():
                try:
                    if self._slide._call("single_image_exists", image_type):
                        names.append(name)
                except ZorvelError:
                    pass
            self._names = names
        return self._names

    def __getitem__(self, key):
        if key not in self._present():
            raise KeyError(key)
        width, height, rgb = self._slide._call("single_image", _ASSOCIATED[key])
        return Image.frombytes("RGB", (width, height), rgb).convert("RGBA")

    def __iter__(self):
        return iter(self._present())

    def __len__(self):
        return len(self._present())


class ZorvelSlide:
    """A slide directory of DICOM files opened through ZorvelDicom.so.

    Levels are the pyramid levels the files hold (the module's zoom levels 0 to 9 that are present).
    Any number of threads may read regions at once; close() waits for running reads.
    """

    def __init__(self, filename):
        self._filename = os.fspath(filename)
        self._handle = _zorvel.SlideHandle()
        self._handle.open(_module_path(), self._filename)
        self._closed = False
        self._close_lock = threading.Lock()
        self._width = int(self._property(_TAG_WIDTH))
        self._height = int(self._property(_TAG_HEIGHT))
        self._bit_depth = _number(self._optional(_TAG_BIT_DEPTH), int) or 8
        self._brightfield = _number(self._optional(_TAG_SLIDE_TYPE), int) != 2
        self._zoom_levels = self._present_levels()
        self._level_dimensions = tuple(
            (-(-self._width // (1 << z)), -(-self._height // (1 << z))) for z in self._zoom_levels)
        self._level_downsamples = tuple(
            (self._width / w + self._height / h) / 2.0 for w, h in self._level_dimensions)
        if self._bit_depth > 8:
            self._handle.put_bool_property(_KEY_HIGH_BIT_DEPTH, True)
        self.properties = _Properties(self._read_properties)
        self.associated_images = _AssociatedImages(self)

    # --- life cycle ---------------------------------------------------------------------------
    def __repr__(self):
        return f"{self.__class__.__name__}({self._filename!r})"

    def __enter__(self):
        return self

    def __exit__(self, exc_type, exc_value, traceback):
        self.close()
        return False

    def close(self):
        with self._close_lock:
            if not self._closed:
                self._closed = True
                self._handle.close()

    @classmethod
    def detect_format(cls, filename):
        return detect_format(filename)

    def _call(self, method, *args, **kwargs):
        if self._closed:
            raise ZorvelError("slide is closed", None, method)
        return getattr(self._handle, method)(*args, **kwargs)

    def _property(self, tag):
        return self._call("property", tag)[1]

    def _optional(self, tag):
        try:
            kind, value = self._call("property", tag)
        except ZorvelError:
            return None
        return None if kind == "EMPTY" else value

    def _present_levels(self):
        listed = self._optional(_TAG_LEVEL_LIST)
        levels = sorted({int(v) for v in listed.split(",") if v}) if listed else [0]
        levels = [z for z in levels if z <= _MAX_LEVEL and (self._width >> z or self._height >> z)]
        return tuple(levels) or (0,)

    # --- geometry -----------------------------------------------------------------------------
    @property
    def dimensions(self):
        return (self._width, self._height)

    @property
    def level_count(self):
        return len(self._zoom_levels)

    @property
    def level_dimensions(self):
        return self._level_dimensions

    @property
    def level_downsamples(self):
        return self._level_downsamples

    def get_best_level_for_downsample(self, downsample):
        """The level with the largest downsample not above `downsample` (level 0 below that)."""
        best = 0
        for level, level_downsample in enumerate(self._level_downsamples):
            if downsample >= level_downsample:
                best = level
        return best

    # --- properties ---------------------------------------------------------------------------
    def _read_properties(self):
        values = {}
        for tag, name in self._call("property_tags"):
            value = self._optional(tag)
            if value is not None and value != "":
                values[name] = value
        values[PROPERTY_NAME_VENDOR] = VENDOR
        mpp_x, mpp_y = self._optional(_TAG_MPP_X), self._optional(_TAG_MPP_Y)
        if _number(mpp_x):
            values[PROPERTY_NAME_MPP_X] = mpp_x
        if _number(mpp_y):
            values[PROPERTY_NAME_MPP_Y] = mpp_y
        objective = self._optional(_TAG_OBJECTIVE)
        if _number(objective):
            values[PROPERTY_NAME_OBJECTIVE_POWER] = objective
        values[PROPERTY_NAME_BACKGROUND_COLOR] = "FFFFFF" if self._brightfield else "000000"
        values[PROPERTY_NAME_LEVEL_COUNT] = str(self.level_count)
        for level, ((width, height), downsample) in enumerate(
                zip(self._level_dimensions, self._level_downsamples)):
            prefix = f"zorvel.level[{level}]."
            values[prefix + "width"] = str(width)
            values[prefix + "height"] = str(height)
            values[prefix + "downsample"] = repr(downsample)
            values[prefix + "tile-width"] = "256"
            values[prefix + "tile-height"] = "256"
        return values

    # --- focus and channels -------------------------------------------------------------------
    @property
    def focal_planes(self):
        """Focus arguments that select a plane: offsets from the middle plane (0 is the middle)."""
        count = _number(self._optional(_TAG_ZSTACK_COUNT), int) or 1
        zero = _number(self._optional(_TAG_ZERO_FOCUS), int)
        if zero is None:
            zero = count // 2
        return tuple(plane - zero for plane in range(count))

    @property
    def channels(self):
        """One record per channel: index, name, excitation and emission wavelength (nm), pseudo colour."""
        count = _number(self._optional(_TAG_CHANNEL_COUNT), int) or 0
        if self._brightfield:
            count = max(count, 3)
        records = []
        for channel in range(count):
            records.append({
                "index": channel,
                "name": self._channel_value(_CHANNEL_NAME, channel),
                "excitation_wavelength": _number(self._channel_value(_CHANNEL_EXCITATION, channel), int),
                "emission_wavelength": _number(self._channel_value(_CHANNEL_EMISSION, channel), int),
                "pseudo_color": _number(self._channel_value(_CHANNEL_PSEUDO_COLOR, channel), int),
            })
        return records

    def _channel_value(self, tag, channel):
        try:
            kind, value = self._call("channel_property", tag, channel)
        except ZorvelError as error:
            if error.hresult == E_NOTIMPL:
                raise
            return None
        return None if kind == "EMPTY" else value

    @property
    def annotations(self):
        """Annotation records: kind, bounds and points in level-0 pixels, text, description, line
        colour (0x00BBGGRR) and every attribute by name."""
        return [_annotation(record) for record in self._call("annotations")]

    # --- pixels -------------------------------------------------------------------------------
    def _level_origin(self, location, level):
        if not 0 <= level < self.level_count:
            raise ZorvelError(f"level {level} is not between 0 and {self.level_count - 1}", E_INVALIDARG,
                              "read_region")
        downsample = self._level_downsamples[level]
        # Positions left of or above the slide are scaled toward zero, as OpenSlide does.
        return tuple(-int(-value / downsample) if value < 0 else math.floor(value / downsample)
                     for value in location[:2])

    def _channel_arguments(self, channels):
        if channels is None:
            return (2, 1, 0)
        if len(channels) != 3:
            raise ValueError("channels must be (red, green, blue) channel numbers, None for none")
        return tuple(-1 if c is None else int(c) for c in channels)

    def _fill(self, target, location, level, focus, channels):
        x, y = self._level_origin(location, level)
        width, height = self._level_dimensions[level]
        red, green, blue = self._channel_arguments(channels)
        self._call("read_region_into", target, self._zoom_levels[level], x, y, width, height,
                   red, green, blue, None if focus is None else int(focus))
        return target

    @staticmethod
    def _check_size(size):
        width, height = int(size[0]), int(size[1])
        if width < 0 or height < 0:
            raise ZorvelError(f"negative size {size}", E_INVALIDARG, "read_region")
        return width, height

    def read_region(self, location, level, size, focus=None, channels=None):
        """RGBA PIL image of `size` pixels of `level` whose top left is `location` in level-0 pixels;
        transparent where the region lies outside the slide."""
        width, height = self._check_size(size)
        target = np.zeros((height, width, 4), np.uint8)
        self._fill(target, location, level, focus, channels)
        return Image.fromarray(target, "RGBA")

    def read_region_array(self, location, level, size, focus=None, channels=None, out=None):
        """(height, width, 3) array of the region: uint8, or uint16 for slides of more than 8 bits.
        `out`, when given, is filled in place; pixels outside the slide are 0."""
        width, height = self._check_size(size)
        dtype = np.uint16 if self._bit_depth > 8 else np.uint8
        if out is None:
            out = np.zeros((height, width, 3), dtype)
        elif out.shape != (height, width, 3) or out.dtype != dtype or not out.flags.c_contiguous:
            raise ValueError(f"out must be a C-contiguous {(height, width, 3)} array of {np.dtype(dtype).name}")
        elif not self._inside_level(location, level, (width, height)):
            out.fill(0)  # the module writes only the pixels inside the slide
        return self._fill(out, location, level, focus, channels)

    def _inside_level(self, location, level, size):
        x, y = self._level_origin(location, level)
        level_width, level_height = self._level_dimensions[level]
        return x >= 0 and y >= 0 and x + size[0] <= level_width and y + size[1] <= level_height

    def read_tile_raw(self, level, column, row, focus=None):
        """The stored bytes of one tile of `level` (0 = full resolution); `focus` is the module's focus
        index of raw tiles (0: the extended-focus image when the slide has one, else the first plane)."""
        if not 0 <= level < self.level_count:
            raise ZorvelError(f"level {level} is not between 0 and {self.level_count - 1}", E_INVALIDARG,
                              "read_tile_raw")
        return self._call("read_tile_raw", self._zoom_levels[level], column, row, focus or 0)[1]

    def get_thumbnail(self, size):
        """RGB thumbnail that fits in `size`, on the slide's background."""
        downsample = max(dim / thumb for dim, thumb in zip(self.dimensions, size))
        level = self.get_best_level_for_downsample(downsample)
        tile = self.read_region((0, 0), level, self.level_dimensions[level])
        background = "#" + self.properties.get(PROPERTY_NAME_BACKGROUND_COLOR, "FFFFFF")
        thumb = Image.new("RGB", tile.size, background)
        thumb.paste(tile, None, tile)
        thumb.thumbnail(size, _LANCZOS)
        return thumb


def _annotation(record):
    attributes = dict(record["attributes"])
    values = [value for _, value in record["attributes"]]
    count = attributes.get("PolygonPointCount") or 0
    start = len(values) - 2 * count
    points = [(int(values[start + 2 * j]), int(values[start + 2 * j + 1])) for j in range(count)]
    left, top, right, bottom = record["bounds"]
    if not points and (left, top) == (right, bottom):
        points = [(left, top)]  # a flag: one point
    return {"kind": record["kind"], "bounds": record["bounds"], "points": points,
            "text": attributes.get("Caption", ""), "description": attributes.get("Desc", ""),
            "color": attributes.get("LineColor"), "attributes": attributes}


def detect_format(filename):
    """"dicom" when the directory opens as a slide, else None."""
    try:
        with ZorvelSlide(filename):
            return VENDOR
    except ZorvelError:
        return None


def open_slide(filename):
    return ZorvelSlide(filename)

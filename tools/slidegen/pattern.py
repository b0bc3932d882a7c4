# Tile contents that identify their own position: 3 x 3 cells, each one hexadecimal digit.
# The same function is documented in manifest.json so that readers can check tile placement.
"""Tile identification pattern.

Every frame is divided into a 3 x 3 grid of cells; cell (cx, cy) covers the pixels
x in [cx*W//3, (cx+1)*W//3) and y in [cy*H//3, (cy+1)*H//3) of the W x H frame, the
part beyond the total pixel matrix included. Cell k = 3*cy + cx carries digit d_k:

    d0 = col % 16   d1 = (col // 16) % 16   d2 = (col // 256) % 16
    d3 = row % 16   d4 = (row // 16) % 16   d5 = (row // 256) % 16
    d6 = level % 16 d7 = plane % 16         d8 = path % 16

(col, row: tile position in the level; plane: focal plane index, 15 for the
extended-depth-of-field image; path: optical path index). A digit d becomes the
sample value 8 + 16*d (8 bits) or 2048 + 4096*d (16 bits); a colour pixel holds the
digits d, (d + 5) % 16 and (d + 10) % 16 in its red, green and blue samples. Flat
cells survive lossy JPEG and JPEG 2000: rounding (v - 8) / 16 recovers d.
"""
import numpy as np

GRID = 3
EXTENDED_FOCUS_PLANE = 15
RGB_DIGIT_SHIFTS = (0, 5, 10)

DESCRIPTION = {
    "grid": GRID,
    "cell_bounds": "cell (cx, cy) covers x in [cx*W//3, (cx+1)*W//3), y in [cy*H//3, (cy+1)*H//3)",
    "digits": ["col%16", "(col//16)%16", "(col//256)%16", "row%16", "(row//16)%16",
               "(row//256)%16", "level%16", "plane%16", "path%16"],
    "extended_focus_plane": EXTENDED_FOCUS_PLANE,
    "value8": "8+16*d",
    "value16": "2048+4096*d",
    "rgb_digits": ["d", "(d+5)%16", "(d+10)%16"],
}


def tile_digits(level, plane, path, row, col):
    """The nine digits of the tile at (row, col), in cell order."""
    return [col % 16, (col // 16) % 16, (col // 256) % 16,
            row % 16, (row // 16) % 16, (row // 256) % 16,
            level % 16, plane % 16, path % 16]


def digit_value(digit, bits):
    return 2048 + 4096 * digit if bits == 16 else 8 + 16 * digit


def tile_pixels(digits, width, height, samples, bits):
    """A height x width (x samples) array drawing the digits as flat cells."""
    dtype = np.uint16 if bits == 16 else np.uint8
    shape = (height, width, samples) if samples > 1 else (height, width)
    pixels = np.empty(shape, dtype=dtype)
    for k, digit in enumerate(digits):
        cy, cx = divmod(k, GRID)
        ys = slice(cy * height // GRID, (cy + 1) * height // GRID)
        xs = slice(cx * width // GRID, (cx + 1) * width // GRID)
        if samples == 1:
            pixels[ys, xs] = digit_value(digit, bits)
        else:
            pixels[ys, xs] = [digit_value((digit + s) % 16, bits) for s in RGB_DIGIT_SHIFTS]
    return pixels


def add_texture(pixels, amplitude, seed):
    """Seeded noise of +-amplitude on every sample, so that encoded tiles are as large as those of
    real tissue (benchmarks); the digits stay readable while amplitude is below 8."""
    noise = np.random.default_rng(seed).integers(-amplitude, amplitude + 1, size=pixels.shape)
    limit = np.iinfo(pixels.dtype).max
    return np.clip(pixels.astype(np.int64) + noise, 0, limit).astype(pixels.dtype)


def picture(width, height, seed, rgb=True):
    """A smooth picture for single images (label, overview, thumbnail)."""
    y, x = np.mgrid[0:height, 0:width]
    red = (x * 255 // max(1, width - 1)).astype(np.uint8)
    green = (y * 255 // max(1, height - 1)).astype(np.uint8)
    blue = np.full_like(red, (seed * 37) % 256)
    if not rgb:
        return ((red.astype(np.uint16) + green) // 2).astype(np.uint8)
    return np.dstack([red, green, blue])

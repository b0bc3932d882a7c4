#!/usr/bin/env python3
"""Composes the picture a region request should give, independently of the module.

Usage: region_oracle.py SLIDE_DIR X1 Y1 X2 Y2 LEVEL BLUE PLANE WIDE OUT
BLUE: first channel (-1: none); PLANE: focal plane index, or -1 for "no plane chosen" (the
extended-focus image when the level has one, else plane 0); WIDE: 1 for 16-bit output samples.
Tiles are decoded by pydicom (uncompressed) and Pillow (JPEG, JPEG 2000), composed into the level
read (the requested one or the next finer present one), box-averaged by 2^d and written as
H lines of W * 3 samples (B, G, R; 8 or 16 bits little-endian) to OUT.
"""
import io
import json
import sys
from pathlib import Path

import numpy as np
import pydicom
from pydicom.encaps import generate_pixel_data_frame
from PIL import Image

GRID = 256


def frame_positions(entry):
    if entry.get("frame_positions"):
        return [tuple(p) for p in entry["frame_positions"]]
    cols, rows = entry["tile_grid"]
    return [(path, plane, row, col) for path in range(len(entry["optical_paths"]))
            for plane in range(len(entry["focal_planes"])) for row in range(rows) for col in range(cols)]


def decode_frames(path, dataset):
    if not dataset.file_meta.TransferSyntaxUID.is_compressed:
        pixels = dataset.pixel_array
        return pixels.reshape((int(dataset.NumberOfFrames),) + pixels.shape[-3 if dataset.SamplesPerPixel > 1 else -2:])
    frames = []
    for frame in generate_pixel_data_frame(dataset.PixelData, int(dataset.NumberOfFrames)):
        image = Image.open(io.BytesIO(frame))
        if dataset.SamplesPerPixel == 3:
            image = image.convert("RGB")
        frames.append(np.array(image))
    return np.stack(frames)


def level_entries(manifest, level, extended):
    return [f for f in manifest["files"]
            if f["image_type"] == "VOLUME" and f["level"] == level and f["extended_focus"] == extended]


def compose(slide, entries, plane, channels):
    """Level pixels per channel (None where the slide has no tile), keyed by channel."""
    width, height = entries[0]["total_pixel_matrix"]
    tw, th = entries[0]["columns"], entries[0]["rows"]
    planes = {}
    for entry in entries:
        dataset = pydicom.dcmread(Path(slide) / entry["file"])
        frames = decode_frames(entry["file"], dataset)
        path_numbers = [int(p) - 1 for p in entry["optical_paths"]]
        for index, (path, plane_index, row, col) in enumerate(frame_positions(entry)):
            channel = path_numbers[path]
            if plane_index != plane or channel not in channels:
                continue
            cols, rows = entry["tile_grid"]
            if channel not in planes:
                shape = (rows * th, cols * tw) + frames.shape[3:]
                planes[channel] = (np.zeros(shape, frames.dtype), np.zeros((rows * th, cols * tw), bool))
            pixels, present = planes[channel]
            pixels[row * th:(row + 1) * th, col * tw:(col + 1) * tw] = frames[index]
            present[row * th:(row + 1) * th, col * tw:(col + 1) * tw] = True
    return planes, width, height


def shrink(pixels, present, shift, width, height, x0, y0, out_w, out_h):
    """Mean of each 2^d block whose first pixel is (x0 + X) << d; present where that pixel is."""
    side = 1 << shift
    lw, lh = width >> shift, height >> shift
    result = np.zeros((out_h, out_w) + pixels.shape[2:], np.uint32)
    mask = np.zeros((out_h, out_w), bool)
    xs = [x for x in range(out_w) if 0 <= x0 + x < lw]
    ys = [y for y in range(out_h) if 0 <= y0 + y < lh]
    if not xs or not ys:
        return result, mask
    fx, fy = (x0 + xs[0]) * side, (y0 + ys[0]) * side
    block = pixels[fy:fy + len(ys) * side, fx:fx + len(xs) * side].astype(np.uint32)
    sums = block.reshape((len(ys), side, len(xs), side) + block.shape[2:]).sum(axis=(1, 3))
    result[ys[0]:ys[-1] + 1, xs[0]:xs[-1] + 1] = sums >> (2 * shift)
    mask[ys[0]:ys[-1] + 1, xs[0]:xs[-1] + 1] = present[fy:fy + len(ys) * side:side, fx:fx + len(xs) * side:side]
    return result, mask


def main():
    slide, x1, y1, x2, y2, level, blue, plane, wide, out = sys.argv[1:11]
    x1, y1, x2, y2, level, blue, plane, wide = map(int, (x1, y1, x2, y2, level, blue, plane, wide))
    manifest = json.loads((Path(slide) / "manifest.json").read_text())
    extended = plane < 0 and any(level_entries(manifest, l, True) for l in range(level + 1))
    read = next(l for l in range(level, -1, -1) if level_entries(manifest, l, extended))
    entries = level_entries(manifest, read, extended)
    first = entries[0]
    samples, bits = first["samples_per_pixel"], first["bits_stored"]
    brightfield = samples == 3
    count = len({p for e in entries for p in e["optical_paths"]})
    channels = [] if blue < 0 or blue >= count else ([blue] if brightfield else list(range(blue, min(count, blue + 3))))
    planes, width, height = compose(slide, entries, max(plane, 0), channels)
    out_w, out_h = (x2 - x1 + 1) * GRID, (y2 - y1 + 1) * GRID
    dtype = np.uint16 if wide and bits > 8 else np.uint8
    background = 255 if brightfield else 0
    picture = np.full((out_h, out_w, 3), background if dtype == np.uint8 else background * 257, dtype)
    for channel, (pixels, present) in planes.items():
        if bits > 8 and dtype == np.uint8:
            pixels = pixels >> 8  # reduced while decoding, before the average
        means, mask = shrink(pixels, present, level - read, width, height, x1 * GRID, y1 * GRID, out_w, out_h)
        if brightfield:
            picture[mask] = means[mask][:, ::-1]
        else:
            picture[..., channel % 3][mask] = means[mask]
    Path(out).write_bytes(picture.astype("<u2" if dtype == np.uint16 else np.uint8).tobytes())


if __name__ == "__main__":
    main()

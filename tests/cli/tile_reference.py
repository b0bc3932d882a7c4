#!/usr/bin/env python3
"""Writes the stored bytes of one tile of a generated slide and its pixels decoded by Pillow
(packed B, G, R, as the tests read PNG files back).

Usage: tile_reference.py SLIDE_DIR LEVEL X Y ENCODED_OUT BGR_OUT
The tile is frame y * tile columns + x of the level's VOLUME file (TILED_FULL, one focal plane).
"""
import io
import json
import sys
from pathlib import Path

import pydicom
from pydicom.encaps import generate_pixel_data_frame
from PIL import Image


def main():
    slide, level, x, y, encoded_out, bgr_out = sys.argv[1:7]
    manifest = json.loads((Path(slide) / "manifest.json").read_text())
    entry = next(f for f in manifest["files"] if f["image_type"] == "VOLUME" and f["level"] == int(level))
    dataset = pydicom.dcmread(Path(slide) / entry["file"])
    index = int(y) * entry["tile_grid"][0] + int(x)
    frames = generate_pixel_data_frame(dataset.PixelData, dataset.NumberOfFrames)
    frame = next(f for i, f in enumerate(frames) if i == index)
    Path(encoded_out).write_bytes(frame)
    Path(bgr_out).write_bytes(Image.open(io.BytesIO(frame)).convert("RGB").tobytes("raw", "BGR"))


if __name__ == "__main__":
    main()

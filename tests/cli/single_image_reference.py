#!/usr/bin/env python3
"""Writes the pixels of a generated slide's single image (LABEL or OVERVIEW) decoded by Pillow.

Usage: single_image_reference.py SLIDE_DIR IMAGE_TYPE OUT
OUT receives height lines of width * 3 bytes (B, G, R), the layout of zorvel's PNG read back.
"""
import io
import json
import sys
from pathlib import Path

import pydicom
from pydicom.encaps import generate_pixel_data_frame
from PIL import Image


def main():
    slide, image_type, out = sys.argv[1:4]
    manifest = json.loads((Path(slide) / "manifest.json").read_text())
    entry = next(f for f in manifest["files"] if f["image_type"] == image_type)
    dataset = pydicom.dcmread(Path(slide) / entry["file"])
    frame = next(generate_pixel_data_frame(dataset.PixelData, 1))
    rgb = Image.open(io.BytesIO(frame)).convert("RGB")
    Path(out).write_bytes(rgb.tobytes("raw", "BGR"))


if __name__ == "__main__":
    main()

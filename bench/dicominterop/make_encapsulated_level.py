#!/usr/bin/python3
"""Writes one TILED_FULL VL Whole Slide Microscopy level of FRAMES encapsulated frames.

Usage: make_encapsulated_level.py OUTFILE FRAMES FRAME_BYTES basic|none
Each frame is one fragment of FRAME_BYTES bytes starting with a JPEG start-of-image marker
(the benchmarks read frames, they do not decode them); with "basic" the Basic Offset Table
lists every frame, with "none" it is empty and a reader must walk the fragments.
"""
import struct
import sys

from pydicom.uid import JPEGBaseline8Bit

from level_header import level_dataset

TILE = 256


def header(frames, across):
    ds = level_dataset(JPEGBaseline8Bit, "TILED_FULL", TILE, across, frames)
    ds.SamplesPerPixel, ds.PhotometricInterpretation, ds.PlanarConfiguration = 3, "YBR_FULL_422", 0
    return ds


def main():
    out, frames, size, table = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    across = max(1, int(frames ** 0.5))
    header(frames, across).save_as(out, write_like_original=False)
    frame = b"\xff\xd8\xff\xe0" + bytes(size - 4)
    with open(out, "ab") as f:
        f.write(struct.pack("<HH2sHI", 0x7FE0, 0x0010, b"OB", 0, 0xFFFFFFFF))
        offsets = [i * (8 + size) for i in range(frames)] if table == "basic" else []
        f.write(struct.pack("<HHI", 0xFFFE, 0xE000, 4 * len(offsets)) + struct.pack(f"<{len(offsets)}I", *offsets))
        item = struct.pack("<HHI", 0xFFFE, 0xE000, size) + frame
        for _ in range(frames):
            f.write(item)
        f.write(struct.pack("<HHI", 0xFFFE, 0xE0DD, 0))


if __name__ == "__main__":
    main()

#!/usr/bin/python3
# Writes every frame of the level-0 instance of a generated slide as OUTDIR/frame_NNNNN.jpg, so that
# the codec benchmark reads the tiles a viewer would decode. Usage: extract_frames.py SLIDE OUTDIR
import json
import os
import sys

import pydicom
from pydicom.encaps import generate_pixel_data_frame


def main(slide, outdir):
    os.makedirs(outdir, exist_ok=True)
    with open(os.path.join(slide, "manifest.json"), encoding="utf-8") as f:
        manifest = json.load(f)
    record = next(r for r in manifest["files"] if r["image_type"] == "VOLUME" and r["level"] == 0)
    ds = pydicom.dcmread(os.path.join(slide, record["file"]))
    for i, frame in enumerate(generate_pixel_data_frame(ds.PixelData, int(ds.NumberOfFrames))):
        with open(os.path.join(outdir, f"frame_{i:05d}.jpg"), "wb") as out:
            out.write(frame)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))

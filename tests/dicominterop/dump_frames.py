#!/usr/bin/python3
"""Writes every encoded frame of a DICOM file, as pydicom extracts it, to OUTDIR/frame_<n>.bin.

Usage: dump_frames.py FILE OUTDIR. Prints the number of frames. An independent reader for the
tests: the slide library's tile bytes must equal these.
"""
import os
import sys

import pydicom
from pydicom.encaps import generate_pixel_data_frame


def frames_of(ds):
    count = int(ds.get("NumberOfFrames", 1))
    if ds.file_meta.TransferSyntaxUID.is_compressed:
        return list(generate_pixel_data_frame(ds.PixelData, count))
    size = ds.Rows * ds.Columns * ds.SamplesPerPixel * ds.BitsAllocated // 8
    data = ds.PixelData
    return [data[i * size:(i + 1) * size] for i in range(count)]


def main():
    path, outdir = sys.argv[1], sys.argv[2]
    os.makedirs(outdir, exist_ok=True)
    frames = frames_of(pydicom.dcmread(path))
    for index, frame in enumerate(frames):
        with open(os.path.join(outdir, "frame_%d.bin" % index), "wb") as out:
            out.write(frame)
    print(len(frames))


if __name__ == "__main__":
    main()

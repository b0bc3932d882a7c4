#!/usr/bin/python3
"""Writes encoded frames, as pydicom extracts them, for the slide library's tests.

Usage: dump_frames.py FILE OUTDIR
    writes OUTDIR/frame_<n>.bin for every frame of FILE and prints the number of frames.
Usage: dump_frames.py --slide SLIDEDIR OUTDIR
    does the same for every VOLUME file of a generated slide (OUTDIR/<file>_<n>.bin) and
    prints one line per frame: "binfile level extended plane channel row column", then one
    line per tile a sparse level leaves out: "missing level extended plane channel row column".
An independent reader: the slide library's tile bytes must equal these.
"""
import json
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


def tiled_full_positions(record):
    columns, rows = record["tile_grid"]
    planes, paths = len(record["focal_planes"]), len(record["optical_paths"])
    return [[path, plane, row, col] for path in range(paths) for plane in range(planes)
            for row in range(rows) for col in range(columns)]


def file_positions(ds, positions):
    """Tile row and column of each frame from the file's own Plane Position (Slide), when stored."""
    groups = ds.get("PerFrameFunctionalGroupsSequence")
    if not groups:
        return positions
    placed = []
    for (path, plane, _, _), item in zip(positions, groups):
        position = item.PlanePositionSlideSequence[0]
        row = (int(position.RowPositionInTotalImagePixelMatrix) - 1) // ds.Rows
        col = (int(position.ColumnPositionInTotalImagePixelMatrix) - 1) // ds.Columns
        placed.append([path, plane, row, col])
    return placed


def dump_slide(slide, outdir):
    with open(os.path.join(slide, "manifest.json")) as f:
        manifest = json.load(f)
    os.makedirs(outdir, exist_ok=True)
    for record in manifest["files"]:
        if record["image_type"] != "VOLUME":
            continue
        ds = pydicom.dcmread(os.path.join(slide, record["file"]))
        frames = frames_of(ds)
        positions = file_positions(ds, record.get("frame_positions") or tiled_full_positions(record))
        edf = 1 if record["extended_focus"] else 0
        planes = [0 if edf else p["pattern_plane"] for p in record["focal_planes"]]
        channels = [int(identifier) - 1 for identifier in record["optical_paths"]]
        for index, (frame, (path, plane, row, col)) in enumerate(zip(frames, positions)):
            name = os.path.join(outdir, "%s_%d.bin" % (record["file"], index))
            with open(name, "wb") as out:
                out.write(frame)
            print(name, record["level"], edf, planes[plane], channels[path], row, col)
        for row, col in record["missing_tiles"]:
            for plane in planes:
                for channel in channels:
                    print("missing", record["level"], edf, plane, channel, row, col)


def main():
    if sys.argv[1] == "--slide":
        dump_slide(sys.argv[2], sys.argv[3])
        return
    path, outdir = sys.argv[1], sys.argv[2]
    os.makedirs(outdir, exist_ok=True)
    frames = frames_of(pydicom.dcmread(path))
    for index, frame in enumerate(frames):
        with open(os.path.join(outdir, "frame_%d.bin" % index), "wb") as out:
            out.write(frame)
    print(len(frames))


if __name__ == "__main__":
    main()

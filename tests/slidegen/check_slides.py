#!/usr/bin/python3
# Generates one test-slide variant, validates every file with dciodvfy and checks with pydicom
# that each stored frame shows the tile the manifest places there. Exit status 1 on any fault.
import argparse
import io
import json
import os
import re
import subprocess
import sys

import numpy as np
import pydicom
from PIL import Image
from pydicom.encaps import generate_pixel_data_frame, get_frame_offsets
from pydicom.filebase import DicomBytesIO

SMALL = ["--width", "700", "--height", "500", "--tile", "128"]
VARIANTS = {
    "jpeg-pyramid": SMALL + ["--label", "--overview", "--thumbnail", "--private-metadata"],
    "explicit-8": SMALL + ["--syntax", "explicit"],
    "implicit-8": SMALL + ["--syntax", "implicit", "--private-metadata"],
    "explicit-16-fluorescence": SMALL + ["--syntax", "explicit", "--bits", "16", "--channels", "3"],
    "jpeg2000-fluorescence": SMALL + ["--syntax", "jpeg2000", "--channels", "2"],
    "jpeg2000-lossless-rgb": SMALL + ["--syntax", "jpeg2000-lossless", "--tile-width", "96", "--tile-height", "64"],
    "jpeg2000-lossless-16": SMALL + ["--syntax", "jpeg2000-lossless", "--bits", "16", "--channels", "2"],
    "focal-planes": SMALL + ["--focal-planes", "3", "--z-spacing", "1.5", "--extended-focus"],
    "split-planes-paths": SMALL + ["--focal-planes", "2", "--channels", "2", "--split-planes", "--split-paths",
                                   "--extended-focus", "--levels", "0,2"],
    "sparse": SMALL + ["--organization", "sparse", "--missing-tiles", "3", "--focal-planes", "2"],
    "extended-offset-table": SMALL + ["--offset-table", "extended", "--levels", "0,1,3"],
    "empty-offset-table-fragments": SMALL + ["--offset-table", "empty", "--fragments-per-frame", "3"],
    "basic-offset-table-fragments": SMALL + ["--fragments-per-frame", "2", "--annotations", "3d"],
    "annotations-2d": SMALL + ["--levels", "0", "--annotations", "2d", "--metadata", "CameraType=Test"],
}
# dciodvfy findings that are faults of the checker, not of the files (see report_errors).
KNOWN_FALSE_ERRORS = [
    # TILED_SPARSE levels may leave tiles out; the checker counts every tile of the matrix.
    r"NumberOfFrames does not match expected value for tiled total pixel matrix",
    # Reported for every 2D annotation group although the attribute is absent.
    r"Only valid for AnnotationCoordinateType of 3D - attribute <CommonZCoordinateValue> = <>",
]


def report_errors(path):
    result = subprocess.run(["dciodvfy", path], capture_output=True, text=True)
    lines = (result.stdout + result.stderr).splitlines()
    errors = [line for line in lines if line.startswith("Error")]
    return [e for e in errors if not any(re.search(p, e) for p in KNOWN_FALSE_ERRORS)]


def frames_of(ds):
    count = int(ds.get("NumberOfFrames", 1))
    if not ds.file_meta.TransferSyntaxUID.is_compressed:
        size = ds.Rows * ds.Columns * ds.SamplesPerPixel * ds.BitsAllocated // 8
        return [ds.PixelData[i * size:(i + 1) * size] for i in range(count)]
    return list(generate_pixel_data_frame(ds.PixelData, count))


def decode(ds, frame):
    if ds.file_meta.TransferSyntaxUID.is_compressed:
        return np.asarray(Image.open(io.BytesIO(frame)))
    dtype = "<u2" if ds.BitsAllocated == 16 else np.uint8
    shape = (ds.Rows, ds.Columns, 3) if ds.SamplesPerPixel == 3 else (ds.Rows, ds.Columns)
    return np.frombuffer(frame, dtype=dtype).reshape(shape)


def read_digits(pixels, bits):
    """The nine digits of a decoded frame, from the centre of each cell (first sample)."""
    height, width = pixels.shape[:2]
    step, base = (4096, 2048) if bits == 16 else (16, 8)
    digits = []
    for k in range(9):
        cy, cx = divmod(k, 3)
        value = pixels[(2 * cy + 1) * height // 6, (2 * cx + 1) * width // 6]
        value = value[0] if np.ndim(value) else value
        digits.append(int(round((int(value) - base) / step)) % 16)
    return digits


def expected_positions(record):
    if "frame_positions" in record:
        return record["frame_positions"]
    cols, rows = record["tile_grid"]
    return [[path, plane, row, col] for path in range(len(record["optical_paths"]))
            for plane in range(len(record["focal_planes"])) for row in range(rows) for col in range(cols)]


def check_volume(ds, record):
    faults = []
    for index, (frame, (path, plane, row, col)) in enumerate(zip(frames_of(ds), expected_positions(record))):
        plane_digit = record["focal_planes"][plane]["pattern_plane"]
        expected = [col % 16, (col // 16) % 16, (col // 256) % 16, row % 16, (row // 16) % 16,
                    (row // 256) % 16, record["level"] % 16, plane_digit % 16,
                    (int(record["optical_paths"][path]) - 1) % 16]  # identifiers are index + 1
        got = read_digits(decode(ds, frame), ds.BitsStored)
        if got != expected:
            faults.append(f"frame {index}: digits {got}, expected {expected}")
    return faults


def check_encapsulation(ds, record):
    layout = record["pixel_data"]
    if not layout["encapsulated"]:
        return []
    stream = DicomBytesIO(ds.PixelData)
    stream.is_little_endian = True
    has_offsets, offsets = get_frame_offsets(stream)
    kind = layout["offset_table"]
    faults = []
    if (kind == "basic") != has_offsets or (has_offsets and len(offsets) != record["number_of_frames"]):
        faults.append(f"basic offset table does not match '{kind}'")
    if (kind == "extended") != ("ExtendedOffsetTable" in ds):
        faults.append(f"extended offset table does not match '{kind}'")
    fragments = sum(1 for _ in pydicom.encaps.generate_pixel_data_fragment(stream))
    if fragments != record["number_of_frames"] * layout["fragments_per_frame"]:
        faults.append(f"{fragments} fragments for {record['number_of_frames']} frames")
    return faults


def check_private_block(ds, manifest):
    values = manifest["private_metadata"]["values"]
    if values is None:
        return ["private block written without being asked"] if (0x0029, 0x0010) in ds else []
    if ds.get((0x0029, 0x0010)) is None or ds[0x0029, 0x0010].value != "ZORVEL WSI METADATA":
        return ["private creator missing"]
    text = ds[0x0029, 0x1010].value
    text = text.decode("utf-8") if isinstance(text, bytes) else text
    lines = dict(line.split("=", 1) for line in text.split("\n"))
    return [] if lines == values else ["private block differs from the manifest"]


def check_variant(name, outdir, generator):
    target = os.path.join(outdir, name)
    subprocess.run(["rm", "-rf", target], check=True)
    subprocess.run([sys.executable, generator, target] + VARIANTS[name], check=True)
    with open(os.path.join(target, "manifest.json"), encoding="utf-8") as f:
        manifest = json.load(f)
    faults = []
    files = manifest["files"] + ([manifest["annotations"]] if manifest["annotations"] else [])
    for record in files:
        path = os.path.join(target, record["file"])
        faults += [f"{record['file']}: {e}" for e in report_errors(path)]
        if record.get("image_type") != "VOLUME":
            continue
        ds = pydicom.dcmread(path)
        checks = check_volume(ds, record) + check_encapsulation(ds, record) + check_private_block(ds, manifest)
        faults += [f"{record['file']}: {c}" for c in checks]
    return faults


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--generator", required=True)
    parser.add_argument("--variant", action="append", choices=sorted(VARIANTS))
    args = parser.parse_args()
    failed = False
    for name in args.variant or sorted(VARIANTS):
        faults = check_variant(name, args.out, args.generator)
        for fault in faults:
            print(f"{name}: {fault}")
        print(f"{name}: {'FAILED' if faults else 'ok'}")
        failed |= bool(faults)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

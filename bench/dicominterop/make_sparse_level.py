#!/usr/bin/python3
"""Writes one TILED_SPARSE VL Whole Slide Microscopy level of FRAMES tiny native frames.

Usage: make_sparse_level.py OUTFILE FRAMES. Tiles of 8 x 8 grey pixels on a grid 250 tiles
wide; every frame has its Plane Position (Slide) in the Per-Frame Functional Groups.
"""
import sys

from pydicom.dataset import Dataset
from pydicom.sequence import Sequence
from pydicom.uid import ExplicitVRLittleEndian

from level_header import level_dataset

TILE, ACROSS = 8, 250


def position(index):
    item = Dataset()
    plane = Dataset()
    plane.ColumnPositionInTotalImagePixelMatrix = (index % ACROSS) * TILE + 1
    plane.RowPositionInTotalImagePixelMatrix = (index // ACROSS) * TILE + 1
    plane.ZOffsetInSlideCoordinateSystem = "0"
    item.PlanePositionSlideSequence = Sequence([plane])
    return item


def main():
    out, frames = sys.argv[1], int(sys.argv[2])
    ds = level_dataset(ExplicitVRLittleEndian, "TILED_SPARSE", TILE, ACROSS, frames)
    ds.SamplesPerPixel, ds.PhotometricInterpretation = 1, "MONOCHROME2"
    ds.PerFrameFunctionalGroupsSequence = Sequence([position(i) for i in range(frames)])
    ds.PixelData = bytes(i % 251 for i in range(frames * TILE * TILE))
    ds.save_as(out, write_like_original=False)


if __name__ == "__main__":
    main()

#!/usr/bin/python3
"""Writes one TILED_SPARSE VL Whole Slide Microscopy level of FRAMES tiny native frames.

Usage: make_sparse_level.py OUTFILE FRAMES. Tiles of 8 x 8 grey pixels on a grid 250 tiles
wide; every frame has its Plane Position (Slide) in the Per-Frame Functional Groups.
"""
import sys

from pydicom.dataset import Dataset, FileMetaDataset
from pydicom.sequence import Sequence
from pydicom.uid import ExplicitVRLittleEndian, VLWholeSlideMicroscopyImageStorage, generate_uid

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
    meta = FileMetaDataset()
    meta.MediaStorageSOPClassUID = VLWholeSlideMicroscopyImageStorage
    meta.MediaStorageSOPInstanceUID = generate_uid()
    meta.TransferSyntaxUID = ExplicitVRLittleEndian
    ds = Dataset()
    ds.file_meta = meta
    ds.is_little_endian, ds.is_implicit_VR = True, False
    ds.SOPClassUID, ds.SOPInstanceUID = meta.MediaStorageSOPClassUID, meta.MediaStorageSOPInstanceUID
    ds.StudyInstanceUID, ds.SeriesInstanceUID = generate_uid(), generate_uid()
    ds.ImageType = ["ORIGINAL", "PRIMARY", "VOLUME", "NONE"]
    ds.Modality = "SM"
    ds.DimensionOrganizationType = "TILED_SPARSE"
    ds.TotalPixelMatrixColumns = ACROSS * TILE
    ds.TotalPixelMatrixRows = ((frames + ACROSS - 1) // ACROSS) * TILE
    ds.Rows = ds.Columns = TILE
    ds.SamplesPerPixel, ds.PhotometricInterpretation = 1, "MONOCHROME2"
    ds.BitsAllocated, ds.BitsStored, ds.HighBit, ds.PixelRepresentation = 8, 8, 7, 0
    ds.NumberOfFrames = frames
    ds.PerFrameFunctionalGroupsSequence = Sequence([position(i) for i in range(frames)])
    ds.PixelData = bytes(i % 251 for i in range(frames * TILE * TILE))
    ds.save_as(out, write_like_original=False)


if __name__ == "__main__":
    main()

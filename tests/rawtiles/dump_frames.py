"""Writes every frame of a DICOM file as pydicom stores it (encapsulated frames joined from their
fragments, native frames cut from Pixel Data) to OUTDIR/<index>.bin, index counted from 0."""
import os
import sys

import pydicom
from pydicom.encaps import generate_pixel_data_frame


def main(path, outdir):
    ds = pydicom.dcmread(path)
    os.makedirs(outdir, exist_ok=True)
    count = int(ds.get("NumberOfFrames", 1))
    if ds.file_meta.TransferSyntaxUID.is_encapsulated:
        frames = generate_pixel_data_frame(ds.PixelData, count)
    else:
        size = ds.Rows * ds.Columns * ds.SamplesPerPixel * (ds.BitsAllocated // 8)
        frames = (ds.PixelData[i * size:(i + 1) * size] for i in range(count))
    for index, frame in enumerate(frames):
        with open(os.path.join(outdir, f"{index}.bin"), "wb") as out:
            out.write(frame)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])

# Frame encoders (native, JPEG baseline, JPEG 2000) and the Pixel Data layouts they go into:
# native frames, or encapsulated fragments with a Basic, Extended or empty offset table.
import io

import numpy as np
from PIL import Image
from pydicom.encaps import encapsulate, encapsulate_extended
from pydicom.uid import (ExplicitVRLittleEndian, ImplicitVRLittleEndian, JPEGBaseline8Bit,
                         JPEG2000, JPEG2000Lossless)

SYNTAXES = {
    "explicit": ExplicitVRLittleEndian,
    "implicit": ImplicitVRLittleEndian,
    "jpeg": JPEGBaseline8Bit,
    "jpeg2000": JPEG2000,
    "jpeg2000-lossless": JPEG2000Lossless,
}
LOSSY_METHODS = {"jpeg": "ISO_10918_1", "jpeg2000": "ISO_15444_1"}
JPEG_QUALITY = 90
JPEG2000_RATE = 12  # compression ratio asked of the lossy JPEG 2000 encoder


def is_encapsulated(syntax):
    return syntax not in ("explicit", "implicit")


def check_combination(syntax, bits, offset_table, fragments):
    """Refuses option sets that no standard file can have; returns an error text or None."""
    if bits == 16 and syntax in ("jpeg", "jpeg2000"):
        return "--bits 16 needs explicit, implicit or jpeg2000-lossless"
    if not is_encapsulated(syntax) and (offset_table != "basic" or fragments != 1):
        return "--offset-table and --fragments-per-frame apply to encapsulated syntaxes only"
    if offset_table == "extended" and fragments != 1:
        return "an Extended Offset Table needs one fragment per frame"
    return None


def photometric(syntax, samples):
    if samples == 1:
        return "MONOCHROME2"
    return {"jpeg": "YBR_FULL_422", "jpeg2000": "YBR_ICT",
            "jpeg2000-lossless": "YBR_RCT"}.get(syntax, "RGB")


def encode_frame(pixels, syntax):
    """The stored bytes of one frame (height x width [x 3] array)."""
    if not is_encapsulated(syntax):
        return pixels.astype("<u2" if pixels.dtype == np.uint16 else np.uint8).tobytes()
    image = Image.fromarray(pixels, mode="I;16") if pixels.dtype == np.uint16 else Image.fromarray(pixels)
    out = io.BytesIO()
    if syntax == "jpeg":
        image.save(out, format="JPEG", quality=JPEG_QUALITY, subsampling=1)
    else:
        options = {"no_jp2": True, "mct": 1 if pixels.ndim == 3 else 0}
        if syntax == "jpeg2000":
            options.update(irreversible=True, quality_mode="rates", quality_layers=[JPEG2000_RATE])
        image.save(out, format="JPEG2000", **options)
    return out.getvalue()


def apply_pixel_data(ds, frames, syntax, bits, offset_table="basic", fragments=1):
    """Stores the encoded frames in ds, with offset tables as asked; returns the frame layout.

    The layout says, for the manifest, whether each frame sits in one or several fragments.
    """
    if not is_encapsulated(syntax):
        data = b"".join(frames)
        if len(data) % 2:
            data += b"\0"
        ds.PixelData = data
        ds["PixelData"].VR = "OW" if bits == 16 else "OB"
        return {"encapsulated": False}
    frames = [f + b"\0" if len(f) % 2 else f for f in frames]
    if offset_table == "extended":
        data, offsets, lengths = encapsulate_extended(frames)
        ds.ExtendedOffsetTable = offsets
        ds.ExtendedOffsetTableLengths = lengths
    else:
        data = encapsulate(frames, fragments_per_frame=fragments, has_bot=offset_table == "basic")
    ds.PixelData = data
    ds["PixelData"].VR = "OB"
    ds["PixelData"].is_undefined_length = True
    return {"encapsulated": True, "offset_table": offset_table, "fragments_per_frame": fragments}


def lossy_attributes(ds, syntax, frames, raw_bytes_per_frame):
    """Lossy Image Compression and, when lossy, its ratio and method."""
    if syntax not in LOSSY_METHODS:
        ds.LossyImageCompression = "00"
        return None
    stored = max(1, sum(len(f) for f in frames))
    ratio = raw_bytes_per_frame * len(frames) / stored
    ds.LossyImageCompression = "01"
    ds.LossyImageCompressionRatio = [f"{ratio:.2f}"]
    ds.LossyImageCompressionMethod = [LOSSY_METHODS[syntax]]
    return float(f"{ratio:.2f}")

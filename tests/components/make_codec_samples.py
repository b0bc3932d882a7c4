#!/usr/bin/python3
# Writes encoded JPEG / JPEG 2000 samples and Pillow's own decode of each (the independent
# reference the codec tests compare with) into OUTDIR, listed in OUTDIR/samples.txt.
"""Each line of samples.txt: name width height components bits exact, where the files are
name.enc (encoded), name.ref (Pillow's decode: packed R, G, B or grey lines, little-endian
16-bit samples when bits is 16) and name.orig (the pixels that were encoded). exact = 1 when
the codec's output must equal name.ref byte for byte."""
import io
import os
import sys

import numpy as np
from PIL import Image


def picture(width, height, components, bits, seed):
    rng = np.random.default_rng(seed)
    y, x = np.mgrid[0:height, 0:width]
    top = 65535 if bits == 16 else 255
    planes = [((x * 7 + y * 3 + 40 * c) % (top + 1)) for c in range(components)]
    image = np.dstack(planes) if components == 3 else planes[0]
    noise = rng.integers(0, top // 16 + 1, size=image.shape)
    return np.clip(image + noise, 0, top).astype(np.uint16 if bits == 16 else np.uint8)


def encode(pixels, fmt, **options):
    image = Image.fromarray(pixels, mode="I;16") if pixels.dtype == np.uint16 else Image.fromarray(pixels)
    out = io.BytesIO()
    image.save(out, format=fmt, **options)
    return out.getvalue()


def reference(encoded, bits):
    decoded = np.asarray(Image.open(io.BytesIO(encoded)))
    return decoded.astype("<u2" if bits == 16 else np.uint8)


CASES = [  # name, width, height, components, bits, format, options, exact
    ("jpeg-rgb-444", 64, 48, 3, 8, "JPEG", {"quality": 92, "subsampling": 0}, 1),
    ("jpeg-rgb-422", 80, 64, 3, 8, "JPEG", {"quality": 90, "subsampling": 1}, 1),
    ("jpeg-rgb-420-odd", 37, 23, 3, 8, "JPEG", {"quality": 85, "subsampling": 2}, 1),
    ("jpeg-grey", 50, 30, 1, 8, "JPEG", {"quality": 90}, 1),
    ("jpeg-progressive", 96, 40, 3, 8, "JPEG", {"quality": 80, "progressive": True}, 1),
    ("jpeg-tile-256", 256, 256, 3, 8, "JPEG", {"quality": 90, "subsampling": 1}, 1),
    ("j2k-rgb-lossless", 64, 48, 3, 8, "JPEG2000", {"no_jp2": True, "mct": 1}, 1),
    ("j2k-grey-lossless", 45, 33, 1, 8, "JPEG2000", {"no_jp2": True}, 1),
    ("j2k-grey16-lossless", 40, 24, 1, 16, "JPEG2000", {"no_jp2": True}, 1),
    ("j2k-rgb-lossy", 64, 64, 3, 8, "JPEG2000",
     {"no_jp2": True, "mct": 1, "irreversible": True, "quality_mode": "rates", "quality_layers": [8]}, 0),
    ("jp2-rgb-lossless", 32, 32, 3, 8, "JPEG2000", {"no_jp2": False}, 1),
]


def main(outdir):
    os.makedirs(outdir, exist_ok=True)
    lines = []
    for seed, (name, width, height, components, bits, fmt, options, exact) in enumerate(CASES):
        pixels = picture(width, height, components, bits, seed)
        encoded = encode(pixels, fmt, **options)
        with open(os.path.join(outdir, name + ".enc"), "wb") as f:
            f.write(encoded)
        with open(os.path.join(outdir, name + ".ref"), "wb") as f:
            f.write(reference(encoded, bits).tobytes())
        with open(os.path.join(outdir, name + ".orig"), "wb") as f:
            f.write(pixels.astype("<u2" if bits == 16 else np.uint8).tobytes())
        lines.append(f"{name} {width} {height} {components} {bits} {exact}")
    with open(os.path.join(outdir, "samples.txt"), "w") as f:
        f.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

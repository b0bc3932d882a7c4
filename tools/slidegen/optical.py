# Optical Path Sequence items: one brightfield path, or fluorescence channels with
# excitation/emission wavelengths and palette colour look-up tables.
import numpy as np
from PIL import ImageCms
from pydicom.dataset import Dataset

FLUOROPHORES = [  # name, excitation nm, emission nm, display colour
    ("DAPI", 358, 461, (0, 0, 255)),
    ("FITC", 495, 519, (0, 255, 0)),
    ("Cy3", 550, 570, (255, 160, 0)),
    ("Cy5", 650, 670, (255, 0, 0)),
    ("Cy7", 743, 767, (255, 0, 255)),
    ("TRITC", 557, 576, (255, 255, 0)),
]
OBJECTIVE_POWER = "40"
OBJECTIVE_NA = "0.95"


def code(value, scheme, meaning):
    item = Dataset()
    item.CodeValue = value
    item.CodingSchemeDesignator = scheme
    item.CodeMeaning = meaning
    return item


def srgb_icc_profile():
    return ImageCms.ImageCmsProfile(ImageCms.createProfile("sRGB")).tobytes()


def channel_table(count):
    """Name, wavelengths and colour of each fluorescence channel (names unique)."""
    channels = []
    for i in range(count):
        name, excitation, emission, colour = FLUOROPHORES[i % len(FLUOROPHORES)]
        if i >= len(FLUOROPHORES):
            name = f"{name}-{i // len(FLUOROPHORES) + 1}"
        channels.append({"index": i, "identifier": str(i + 1), "name": name, "excitation_nm": excitation,
                         "emission_nm": emission, "colour": list(colour)})
    return channels


def brightfield_path():
    return {"index": 0, "identifier": "1", "name": "Brightfield", "colour": None}


def palette_entries(colour_component, bits):
    """16-bit LUT entries ramping from 0 to the component's full intensity."""
    size = 65536 if bits == 16 else 256
    ramp = np.arange(size, dtype=np.float64) / (size - 1)
    return np.round(ramp * colour_component * 257).astype("<u2")


def palette_item(colour, bits):
    item = Dataset()
    descriptor = [0 if bits == 16 else 256, 0, 16]  # 0 entries means 65536
    for component, prefix in zip(colour, ("Red", "Green", "Blue")):
        setattr(item, f"{prefix}PaletteColorLookupTableDescriptor", descriptor)
        setattr(item, f"{prefix}PaletteColorLookupTableData", palette_entries(component, bits).tobytes())
        item[f"{prefix}PaletteColorLookupTableData"].VR = "OW"
    return item


def path_item(path, bits, icc_profile):
    """One Optical Path Sequence item for a path of brightfield_path()/channel_table()."""
    item = Dataset()
    item.OpticalPathIdentifier = path["identifier"]
    item.OpticalPathDescription = path["name"]
    item.ObjectiveLensPower = OBJECTIVE_POWER
    item.ObjectiveLensNumericalAperture = OBJECTIVE_NA
    if icc_profile:
        item.ICCProfile = icc_profile
    if path["colour"] is None:
        item.IlluminationTypeCodeSequence = [code("111744", "DCM", "Brightfield illumination")]
        item.IlluminationColorCodeSequence = [code("414298005", "SCT", "Full Spectrum")]
        return item
    item.IlluminationTypeCodeSequence = [code("111743", "DCM", "Epifluorescence illumination")]
    item.IlluminationWaveLength = float(path["excitation_nm"])
    item.LightPathFilterPassThroughWavelength = path["excitation_nm"]
    item.ImagePathFilterPassThroughWavelength = path["emission_nm"]
    item.PaletteColorLookupTableSequence = [palette_item(path["colour"], bits)]
    return item

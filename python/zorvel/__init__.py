"""zorvel: read DICOM whole-slide images through ZorvelDicom.so with an OpenSlide-style API.

    import zorvel
    with zorvel.open_slide("/data/slide-dir") as slide:
        region = slide.read_region((1000, 2000), 0, (512, 512))   # RGBA PIL image
        array = slide.read_region_array((1000, 2000), 0, (512, 512))  # numpy (H, W, 3)
"""
from ._errors import ZorvelError
from ._slide import (
    PROPERTY_NAME_BACKGROUND_COLOR,
    PROPERTY_NAME_LEVEL_COUNT,
    PROPERTY_NAME_MPP_X,
    PROPERTY_NAME_MPP_Y,
    PROPERTY_NAME_OBJECTIVE_POWER,
    PROPERTY_NAME_VENDOR,
    ZorvelSlide,
    detect_format,
    open_slide,
)

__all__ = [
    "PROPERTY_NAME_BACKGROUND_COLOR",
    "PROPERTY_NAME_LEVEL_COUNT",
    "PROPERTY_NAME_MPP_X",
    "PROPERTY_NAME_MPP_Y",
    "PROPERTY_NAME_OBJECTIVE_POWER",
    "PROPERTY_NAME_VENDOR",
    "ZorvelError",
    "ZorvelSlide",
    "detect_format",
    "open_slide",
]

# Microscopy Bulk Simple Annotations that reference the generated slide: one annotation group
# per kind of shape, and one group per tissue-microarray (TMA) marker.
"""Annotation conventions of the generated files.

* Coordinates: 2D files give (column, row) in level-0 total-pixel-matrix pixels, (0, 0)
  being the top left corner of the top left pixel (Pixel Origin Interpretation VOLUME);
  3D files give (x, y, z) in the slide coordinate system, x and y in millimetres
  (x = origin_x + column * spacing, y = origin_y + row * spacing) and z in micrometres.
* Each group holds shapes of one Graphic Type; its Annotation Group Label is the caption
  and its Annotation Group Description the description of every annotation in it; its
  Recommended Display CIELab Value is their colour.
* POINT: slide flags; POLYLINE with two points: measurements; POLYLINE, POLYGON,
  ELLIPSE (end points of the two axes), RECTANGLE (four corners).
* TMA markers: one group per marker, Graphic Type POLYLINE, one annotation of six points,
  and Annotation Property Type Code (TMA, 99ZRV, "Tissue microarray core"). Points 0 and 1
  are the ends of the horizontal outer diameter, 2 and 3 those of the vertical outer
  diameter, 4 and 5 those of the horizontal inner diameter; the group label is the
  marker's name and the group description its comment.
"""
import random

import numpy as np
from pydicom.dataset import Dataset
from pydicom.uid import MicroscopyBulkSimpleAnnotationsStorage

from . import common
from .geometry import BASE_PIXEL_SPACING_MM, ORIGIN_MM
from .optical import code

TMA_CODE = ("TMA", "99ZRV", "Tissue microarray core")
CATEGORY_CODE = ("91723000", "SCT", "Anatomical structure")
TYPE_CODE = ("84640000", "SCT", "Nucleus")


def srgb_to_cielab(rgb):
    """DICOM scaled PCS-Lab (D50) values of an sRGB colour."""
    linear = [((c / 255) / 12.92) if c / 255 <= 0.04045 else ((c / 255 + 0.055) / 1.055) ** 2.4 for c in rgb]
    matrix = np.array([[0.4360747, 0.3850649, 0.1430804],
                       [0.2225045, 0.7168786, 0.0606169],
                       [0.0139322, 0.0971045, 0.7141733]])
    x, y, z = matrix @ np.array(linear) / np.array([0.9642, 1.0, 0.8249])
    f = [v ** (1 / 3) if v > 216 / 24389 else (24389 / 27 * v + 16) / 116 for v in (x, y, z)]
    lab = (116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2]))
    return [round(lab[0] * 65535 / 100), round((lab[1] + 128) * 65535 / 255), round((lab[2] + 128) * 65535 / 255)]


def shape_groups(width, height, rng):
    """(graphic type, label, description, colour, list of point lists) of the shape groups."""
    def pt():
        return [round(rng.uniform(0.05, 0.95) * width, 2), round(rng.uniform(0.05, 0.95) * height, 2)]

    def box(cx, cy, rx, ry):
        return [[cx - rx, cy - ry], [cx + rx, cy - ry], [cx + rx, cy + ry], [cx - rx, cy + ry]]

    cx, cy, r = width * 0.5, height * 0.5, min(width, height) * 0.1
    return [
        ("POINT", "Flags", "Points of interest", (255, 0, 0), [[pt()] for _ in range(3)]),
        ("POLYLINE", "Measurements", "Two-point distance measurements", (0, 128, 255), [[pt(), pt()] for _ in range(2)]),
        ("POLYLINE", "Polylines", "Open outlines", (0, 200, 0), [[pt() for _ in range(4)], [pt() for _ in range(3)]]),
        ("POLYGON", "Regions", "Closed tumour regions", (255, 200, 0), [[pt() for _ in range(5)], box(cx, cy, r, r / 2)]),
        ("ELLIPSE", "Ellipses", "Elliptic regions", (128, 0, 255),
         [[[cx - 2 * r, cy], [cx + 2 * r, cy], [cx, cy - r], [cx, cy + r]]]),
        ("RECTANGLE", "Rectangles", "Rectangular regions", (0, 255, 255), [box(cx / 2, cy / 2, r, r)]),
    ]


def tma_groups(width, height):
    markers = []
    for i, (row, col) in enumerate([(0, 0), (0, 1), (1, 0)]):
        x, y = width * (0.25 + 0.25 * col), height * (0.3 + 0.4 * row)
        outer, inner = min(width, height) * 0.08, min(width, height) * 0.03
        points = [[x - outer, y], [x + outer, y], [x, y - outer], [x, y + outer], [x - inner, y], [x + inner, y]]
        name = f"TMA {'AB'[row]}{col + 1}"
        markers.append(("POLYLINE", name, f"Core {i + 1} of the array", (255, 64, 64), [points]))
    return markers


def to_coordinates(points, three_d, z_um):
    if not three_d:
        return [c for p in points for c in p]
    return [v for p in points for v in (ORIGIN_MM[0] + p[0] * BASE_PIXEL_SPACING_MM,
                                        ORIGIN_MM[1] + p[1] * BASE_PIXEL_SPACING_MM, z_um)]


def group_item(number, shape_set, ids, three_d, z_um, tma):
    graphic_type, label, description, colour, shapes = shape_set
    item = Dataset()
    item.AnnotationGroupNumber = number
    item.AnnotationGroupUID = common.uid(ids.seed, "annotation-group", number)
    item.AnnotationGroupLabel = label
    item.AnnotationGroupDescription = description
    item.AnnotationGroupGenerationType = "MANUAL"
    item.AnnotationPropertyCategoryCodeSequence = [code(*CATEGORY_CODE)]
    item.AnnotationPropertyTypeCodeSequence = [code(*(TMA_CODE if tma else TYPE_CODE))]
    item.NumberOfAnnotations = len(shapes)
    item.AnnotationAppliesToAllOpticalPaths = "YES"
    if three_d:
        item.AnnotationAppliesToAllZPlanes = "NO"
    item.GraphicType = graphic_type
    item.RecommendedDisplayCIELabValue = srgb_to_cielab(colour)
    coordinates = [c for shape in shapes for c in to_coordinates(shape, three_d, z_um)]
    item.DoublePointCoordinatesData = np.array(coordinates, dtype="<f8").tobytes()
    if graphic_type in ("POLYLINE", "POLYGON"):
        dims = 3 if three_d else 2
        starts, index = [], 1
        for shape in shapes:
            starts.append(index)
            index += len(shape) * dims
        item.LongPrimitivePointIndexList = np.array(starts, dtype="<u4").tobytes()
    return item


def reference(sop_class, sop_instance):
    item = Dataset()
    item.ReferencedSOPClassUID = sop_class
    item.ReferencedSOPInstanceUID = sop_instance
    return item


def build(ids, dimension, width, height, level0, z_um):
    """The annotation dataset (dimension "2d" or "3d") and its manifest record.

    level0: (SOP class UID, SOP instance UID) of the level-0 image the coordinates refer to.
    """
    three_d = dimension == "3d"
    sop_uid = common.uid(ids.seed, "annotations", dimension)
    ds = common.new_dataset(MicroscopyBulkSimpleAnnotationsStorage, sop_uid, "1.2.840.10008.1.2.1")
    common.add_patient_study(ds, ids)
    ds.Modality = "ANN"
    ds.SeriesInstanceUID = ids.annotation_series
    ds.SeriesNumber = 10
    ds.Laterality = ""
    ds.InstanceNumber = 1
    common.add_equipment(ds)
    common.add_content_time(ds)
    ds.ContentLabel = "ANNOTATIONS"
    ds.ContentDescription = "Generated test annotations"
    ds.ContentCreatorName = "Test^Annotator"
    ds.AnnotationCoordinateType = "3D" if three_d else "2D"
    if three_d:
        common.add_frame_of_reference(ds, ids)
    else:
        ds.PixelOriginInterpretation = "VOLUME"
    ds.ReferencedImageSequence = [reference(*level0)]
    series = Dataset()
    series.SeriesInstanceUID = ids.series
    series.ReferencedInstanceSequence = [reference(*level0)]
    ds.ReferencedSeriesSequence = [series]
    rng = random.Random(ids.seed)
    shape_sets = [(s, False) for s in shape_groups(width, height, rng)] + [(s, True) for s in tma_groups(width, height)]
    ds.AnnotationGroupSequence = [group_item(i + 1, shape_set, ids, three_d, z_um, tma)
                                  for i, (shape_set, tma) in enumerate(shape_sets)]
    return ds, manifest_groups(ds, shape_sets, three_d, z_um)


def manifest_groups(ds, shape_sets, three_d, z_um):
    groups = []
    for item, (shape_set, tma) in zip(ds.AnnotationGroupSequence, shape_sets):
        graphic_type, label, description, colour, shapes = shape_set
        groups.append({
            "number": item.AnnotationGroupNumber, "uid": item.AnnotationGroupUID,
            "graphic_type": graphic_type, "label": label, "description": description,
            "tma_marker": tma, "colour_rgb": list(colour),
            "cielab": list(item.RecommendedDisplayCIELabValue),
            "annotations_pixels": [[list(map(float, p)) for p in shape] for shape in shapes],
            "annotations_stored": [to_coordinates(shape, three_d, z_um) for shape in shapes],
        })
    return {"sop_instance_uid": ds.SOPInstanceUID, "coordinate_type": ds.AnnotationCoordinateType,
            "series_instance_uid": ds.SeriesInstanceUID, "groups": groups,
            "conventions": __doc__.strip()}

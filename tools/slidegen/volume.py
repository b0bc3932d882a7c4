# VL Whole Slide Microscopy Image instances: pyramid levels (VOLUME) and the single images
# (LABEL, OVERVIEW, THUMBNAIL), with their functional groups, dimensions and pixel data.
import random

import numpy as np

from pydicom.dataset import Dataset
from pydicom.uid import VLWholeSlideMicroscopyImageStorage

from . import common, encoding, foreign, metadata, optical, pattern
from .geometry import BASE_PIXEL_SPACING_MM, ORIGIN_MM


class InstancePlan:
    """What one image instance holds: a level, its focal planes and optical paths."""

    def __init__(self, level, planes, paths, image_type, extended=False, missing=frozenset(),
                 picture=None):
        self.level = level
        self.planes = planes          # list of (plane digit, z offset um)
        self.paths = paths            # optical path records (optical.channel_table / brightfield_path)
        self.image_type = image_type  # e.g. ["ORIGINAL", "PRIMARY", "VOLUME", "NONE"]
        self.extended = extended
        self.missing = missing        # (row, col) positions without a frame
        self.picture = picture        # single images: the one frame's pixels instead of the pattern


def frame_list(plan, sparse, seed):
    """(path, plane, row, col) of each stored frame in file order.

    TILED_FULL: column fastest, then row, focal plane, optical path. TILED_SPARSE: the
    same tiles without the missing ones, shuffled so that readers must use the positions.
    """
    frames = [(path, plane, row, col) for path in range(len(plan.paths))
              for plane in range(len(plan.planes)) for row, col in plan.level.tile_positions()
              if (row, col) not in plan.missing]
    if sparse:
        random.Random(seed * 7919 + plan.level.index).shuffle(frames)
    return frames


def encode_frames(plan, frames, opts, samples, bits):
    level = plan.level
    if plan.picture is not None:
        return [encoding.encode_frame(picture_tile(plan.picture, level, row, col), opts.syntax)
                for _, _, row, col in frames]
    encoded = []
    for path, plane, row, col in frames:
        digits = pattern.tile_digits(level.index, plan.planes[plane][0], plan.paths[path]["index"], row, col)
        pixels = pattern.tile_pixels(digits, level.tile_width, level.tile_height, samples, bits)
        if opts.texture:
            pixels = pattern.add_texture(pixels, opts.texture, (opts.seed * 8191 + row) * 8191 + col)
        encoded.append(encoding.encode_frame(pixels, opts.syntax))
    return encoded


def picture_tile(picture, level, row, col):
    """Tile (row, col) of a single image's picture, padded with black past the picture's edges."""
    tile = np.zeros((level.tile_height, level.tile_width) + picture.shape[2:], dtype=picture.dtype)
    part = picture[row * level.tile_height:(row + 1) * level.tile_height,
                   col * level.tile_width:(col + 1) * level.tile_width]
    tile[:part.shape[0], :part.shape[1]] = part
    return tile


def add_pixel_description(ds, samples, bits, rows, columns, syntax):
    ds.SamplesPerPixel = samples
    ds.PhotometricInterpretation = encoding.photometric(syntax, samples)
    if samples > 1:
        ds.PlanarConfiguration = 0
    ds.Rows = rows
    ds.Columns = columns
    ds.BitsAllocated = bits
    ds.BitsStored = bits
    ds.HighBit = bits - 1
    ds.PixelRepresentation = 0
    if samples == 1:
        ds.PresentationLUTShape = "IDENTITY"
        ds.RescaleIntercept = "0"
        ds.RescaleSlope = "1"


def plane_position(plan, row, col, z_um):
    level = plan.level
    x, y = level.slide_xy(row, col)
    item = Dataset()
    item.ColumnPositionInTotalImagePixelMatrix = col * level.tile_width + 1
    item.RowPositionInTotalImagePixelMatrix = row * level.tile_height + 1
    item.XOffsetInSlideCoordinateSystem = f"{x:.6f}"
    item.YOffsetInSlideCoordinateSystem = f"{y:.6f}"
    item.ZOffsetInSlideCoordinateSystem = f"{z_um:.6f}"
    return item


def path_reference(path):
    item = Dataset()
    item.OpticalPathIdentifier = path["identifier"]
    return item


def dimension_items(ids, with_z, with_path):
    """Dimension Index Sequence: tile row and column, then focal plane and optical path."""
    pointers = [(0x0048021F, 0x0048021A, "Row position"), (0x0048021E, 0x0048021A, "Column position")]
    if with_z:
        pointers.append((0x0040074A, 0x0048021A, "Focal plane Z offset"))
    if with_path:
        pointers.append((0x00480106, 0x00480207, "Optical path"))
    items = []
    for pointer, group, label in pointers:
        item = Dataset()
        item.DimensionOrganizationUID = ids.dimension_organization
        item.DimensionIndexPointer = pointer
        item.FunctionalGroupPointer = group
        item.DimensionDescriptionLabel = label
        items.append(item)
    return items


def add_dimensions(ds, plan, frames, ids, per_frame, sparse):
    organization = Dataset()
    organization.DimensionOrganizationUID = ids.dimension_organization
    ds.DimensionOrganizationSequence = [organization]
    ds.DimensionOrganizationType = "TILED_SPARSE" if sparse else "TILED_FULL"
    with_z = per_frame and len(plan.planes) > 1
    with_path = per_frame and len(plan.paths) > 1
    ds.DimensionIndexSequence = dimension_items(ids, with_z, with_path)
    if not per_frame:
        return
    items = []
    for path, plane, row, col in frames:
        item = Dataset()
        content = Dataset()
        values = [row + 1, col + 1] + ([plane + 1] if with_z else []) + ([path + 1] if with_path else [])
        content.DimensionIndexValues = values
        item.FrameContentSequence = [content]
        item.PlanePositionSlideSequence = [plane_position(plan, row, col, plan.planes[plane][1])]
        if with_path:
            item.OpticalPathIdentificationSequence = [path_reference(plan.paths[path])]
        items.append(item)
    ds.PerFrameFunctionalGroupsSequence = items


def add_shared_groups(ds, plan, z_spacing_um):
    level = plan.level
    measures = Dataset()
    measures.PixelSpacing = [f"{level.spacing_row:.9g}", f"{level.spacing_column:.9g}"]
    measures.SliceThickness = f"{max(z_spacing_um, 1.0) / 1000:.6g}"
    if len(plan.planes) > 1:
        measures.SpacingBetweenSlices = f"{z_spacing_um / 1000:.6g}"
    frame_type = Dataset()
    frame_type.FrameType = plan.image_type
    shared = Dataset()
    shared.PixelMeasuresSequence = [measures]
    shared.WholeSlideMicroscopyImageFrameTypeSequence = [frame_type]
    if len(plan.paths) == 1:
        shared.OpticalPathIdentificationSequence = [path_reference(plan.paths[0])]
    ds.SharedFunctionalGroupsSequence = [shared]


def add_wsi_image(ds, plan, opts, width0, height0, planes_total):
    level = plan.level
    ds.ImageType = plan.image_type
    ds.ImagedVolumeWidth = width0 * BASE_PIXEL_SPACING_MM
    ds.ImagedVolumeHeight = height0 * BASE_PIXEL_SPACING_MM
    ds.ImagedVolumeDepth = max(1.0, (planes_total - 1) * opts.z_spacing)  # micrometres
    ds.TotalPixelMatrixColumns = level.width
    ds.TotalPixelMatrixRows = level.height
    origin = Dataset()
    origin.XOffsetInSlideCoordinateSystem = f"{ORIGIN_MM[0]:.6f}"
    origin.YOffsetInSlideCoordinateSystem = f"{ORIGIN_MM[1]:.6f}"
    ds.TotalPixelMatrixOriginSequence = [origin]
    ds.TotalPixelMatrixFocalPlanes = len(plan.planes)
    ds.ImageOrientationSlide = ["1", "0", "0", "0", "1", "0"]
    ds.AcquisitionDateTime = common.ACQUISITION_DATETIME
    ds.AcquisitionDuration = common.ACQUISITION_DURATION_S
    ds.VolumetricProperties = "VOLUME"
    label = plan.image_type[2] == "LABEL"
    ds.SpecimenLabelInImage = "YES" if plan.image_type[2] in ("LABEL", "OVERVIEW") else "NO"
    ds.BurnedInAnnotation = "YES" if label else "NO"
    if label:
        ds.LabelText = opts.label_text
        ds.BarcodeValue = opts.barcode
    ds.FocusMethod = "AUTO"
    ds.ExtendedDepthOfField = "YES" if plan.extended else "NO"
    if plan.extended:
        ds.NumberOfFocalPlanes = planes_total
        ds.DistanceBetweenFocalPlanes = float(opts.z_spacing)


def add_optical_paths(ds, plan, bits, icc_profile):
    ds.OpticalPathSequence = [optical.path_item(p, bits, icc_profile) for p in plan.paths]
    ds.NumberOfOpticalPaths = len(plan.paths)


def base_instance(opts, sop_uid, syntax_uid, instance_number):
    ds = common.new_dataset(VLWholeSlideMicroscopyImageStorage, sop_uid, syntax_uid)
    common.add_patient_study(ds, opts.ids)
    ds.Modality = "SM"
    ds.SeriesInstanceUID = opts.ids.series
    ds.SeriesNumber = 1
    ds.InstanceNumber = instance_number
    common.add_frame_of_reference(ds, opts.ids)
    common.add_equipment(ds)
    common.add_content_time(ds)
    common.add_specimen(ds, opts.ids)
    ds.AcquisitionContextSequence = []
    return ds


def build_instance(plan, opts, samples, bits, instance_number, part=0):
    """The dataset of one image instance (or of one part of a split level) and its manifest record."""
    # One focal plane of a stack per instance needs per-frame Z offsets, which TILED_FULL lacks.
    split_stack = opts.split_planes and opts.focal_planes > 1 and not plan.extended
    sparse = (opts.organization == "sparse" or split_stack) and plan.image_type[2] == "VOLUME"
    whole_uid = common.uid(opts.ids.seed, "image", plan.image_type[2], plan.level.index,
                           [p[0] for p in plan.planes], [p["index"] for p in plan.paths])
    sop_uid = common.uid(opts.ids.seed, "part", part, whole_uid) if part else whole_uid
    positioned = foreign.wants_positions(opts, plan)
    syntax_uid = encoding.SYNTAXES[opts.syntax]
    ds = base_instance(opts, sop_uid, syntax_uid, instance_number)
    add_wsi_image(ds, plan, opts, opts.width, opts.height, opts.focal_planes)
    add_optical_paths(ds, plan, bits, opts.icc_profile)
    frames, first_frame = foreign.part_frames(foreign.reorder(frame_list(plan, sparse, opts.seed), opts, plan),
                                              opts, part)
    per_frame = sparse or positioned
    add_shared_groups(ds, plan, opts.z_spacing)
    add_dimensions(ds, plan, frames, opts.ids, per_frame, sparse)
    foreign.apply(ds, opts, plan, part, first_frame, whole_uid)
    add_pixel_description(ds, samples, bits, plan.level.tile_height, plan.level.tile_width, opts.syntax)
    encoded = encode_frames(plan, frames, opts, samples, bits)
    ds.NumberOfFrames = len(encoded)
    layout = encoding.apply_pixel_data(ds, encoded, opts.syntax, bits, opts.offset_table, opts.fragments)
    raw = plan.level.tile_width * plan.level.tile_height * samples * bits // 8
    ratio = encoding.lossy_attributes(ds, opts.syntax, encoded, raw)
    if opts.metadata_values is not None and plan.image_type[2] == "VOLUME":
        metadata.apply(ds, opts.metadata_values)
    return ds, record(plan, ds, frames, sparse or positioned or part, per_frame, layout, ratio)


def record(plan, ds, frames, sparse, per_frame, layout, ratio):
    entry = {
        "sop_instance_uid": ds.SOPInstanceUID,
        "image_type": plan.image_type[2],
        "image_type_values": list(plan.image_type),
        "level": plan.level.index,
        "extended_focus": plan.extended,
        "focal_planes": [{"index": i, "pattern_plane": p[0], "z_offset_um": p[1]}
                         for i, p in enumerate(plan.planes)],
        "optical_paths": [p["identifier"] for p in plan.paths],
        "rows": ds.Rows, "columns": ds.Columns,
        "total_pixel_matrix": [ds.TotalPixelMatrixColumns, ds.TotalPixelMatrixRows],
        "tile_grid": [plan.level.columns, plan.level.rows],
        "pixel_spacing_mm": [float(x) for x in ds.SharedFunctionalGroupsSequence[0]
                             .PixelMeasuresSequence[0].PixelSpacing],
        "number_of_frames": int(ds.NumberOfFrames),
        "transfer_syntax_uid": str(ds.file_meta.TransferSyntaxUID),
        "photometric_interpretation": ds.PhotometricInterpretation,
        "samples_per_pixel": ds.SamplesPerPixel, "bits_stored": ds.BitsStored,
        "dimension_organization": ds.get("DimensionOrganizationType"),
        "per_frame_functional_groups": bool(per_frame),
        "missing_tiles": sorted([list(t) for t in plan.missing]),
        "pixel_data": layout,
        "lossy_compression_ratio": ratio,
    }
    if sparse:
        entry["frame_positions"] = [[path, plane, row, col] for path, plane, row, col in frames]
    return entry

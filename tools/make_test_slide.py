#!/usr/bin/python3
# Writes a test slide directory of standard VL Whole Slide Microscopy Image files (pydicom)
# and OUTDIR/manifest.json describing every file written. Run with /usr/bin/python3.
"""Generates a test slide.

Usage: /usr/bin/python3 tools/make_test_slide.py OUTDIR [options]   (--help lists them)

Tile contents identify their position (see slidegen/pattern.py, repeated in the
manifest under "tile_pattern"); annotation conventions are in slidegen/annotations.py
(repeated under "annotations"."conventions"). Output is reproducible for a given seed.
"""
import argparse
import json
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from slidegen import annotations, common, encoding, foreign, geometry, metadata, optical, pattern  # noqa: E402
from slidegen.volume import InstancePlan, build_instance  # noqa: E402

LEVEL0_TYPE = ["ORIGINAL", "PRIMARY", "VOLUME", "NONE"]
RESAMPLED_TYPE = ["DERIVED", "PRIMARY", "VOLUME", "RESAMPLED"]
SINGLE_IMAGES = {  # kind: (image type, width, height, mm per pixel)
    "LABEL": (["ORIGINAL", "PRIMARY", "LABEL", "NONE"], 320, 320, 0.08),
    "OVERVIEW": (["ORIGINAL", "PRIMARY", "OVERVIEW", "NONE"], 600, 200, 0.125),
}


def parse_arguments(argv):
    p = argparse.ArgumentParser(description="Writes a test slide directory and manifest.json.")
    p.add_argument("outdir")
    p.add_argument("--width", type=int, default=2048)
    p.add_argument("--height", type=int, default=1536)
    p.add_argument("--tile", type=int)
    p.add_argument("--tile-width", type=int)
    p.add_argument("--tile-height", type=int)
    p.add_argument("--levels", help="comma-separated level numbers, e.g. 0,2,4")
    p.add_argument("--syntax", choices=sorted(encoding.SYNTAXES), default="jpeg")
    p.add_argument("--bits", type=int, choices=(8, 16), default=8)
    p.add_argument("--channels", type=int, default=0, help="0 = brightfield RGB, N = fluorescence")
    p.add_argument("--focal-planes", type=int, default=1)
    p.add_argument("--z-spacing", type=float, default=1.0, help="micrometres between focal planes")
    p.add_argument("--extended-focus", action="store_true")
    p.add_argument("--organization", choices=("full", "sparse"), default="full")
    p.add_argument("--missing-tiles", type=int, default=0)
    p.add_argument("--offset-table", choices=("basic", "extended", "empty"), default="basic")
    p.add_argument("--fragments-per-frame", type=int, default=1, dest="fragments")
    p.add_argument("--split-planes", action="store_true",
                   help="one instance per focal plane (written TILED_SPARSE: only per-frame positions carry Z)")
    p.add_argument("--split-paths", action="store_true", help="one instance per optical path")
    p.add_argument("--label", action="store_true")
    p.add_argument("--label-text", default="ZRV-0001 H&E")
    p.add_argument("--barcode", default="ZRV0001")
    p.add_argument("--label-tile", type=int, help="store the label as a tiled multi-frame image of this tile size")
    p.add_argument("--overview", action="store_true")
    p.add_argument("--thumbnail", action="store_true")
    p.add_argument("--annotations", choices=("2d", "3d"))
    p.add_argument("--private-metadata", action="store_true")
    p.add_argument("--metadata", action="append", default=[], metavar="KEY=VALUE")
    p.add_argument("--frame-order", choices=("morton", "random"),
                   help="level frames in this order, placed by per-frame positions, no Dimension Organization Type")
    p.add_argument("--no-image-type", action="store_true", help="level instances without Image Type")
    p.add_argument("--split-level", type=int, default=1, metavar="N", help="each level instance written as N parts")
    p.add_argument("--concatenation", action="store_true", help="the parts of --split-level form a concatenation")
    p.add_argument("--series-uid")
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--texture", type=int, default=0, help="noise of +-N on every sample (larger tiles)")
    return p.parse_args(argv)


def check_options(opts):
    """Fills derived fields; returns an error text for option sets no valid slide can have."""
    opts.tile_w = opts.tile_width or opts.tile or 256
    opts.tile_h = opts.tile_height or opts.tile or 256
    if min(opts.width, opts.height, opts.tile_w, opts.tile_h, opts.focal_planes, opts.fragments) < 1:
        return "sizes, focal planes and fragments must be positive"
    if opts.tile_w > 65535 or opts.tile_h > 65535 or opts.channels < 0:
        return "tile sizes must fit 16 bits and --channels must not be negative"
    if opts.missing_tiles and opts.organization != "sparse":
        return "--missing-tiles needs --organization sparse"
    if opts.bits == 16 and opts.channels == 0:
        return "--bits 16 needs fluorescence channels (--channels N)"
    if opts.split_level < 1 or (opts.concatenation and opts.split_level < 2):
        return "--split-level must be positive and --concatenation needs --split-level 2 or more"
    if any("=" not in kv for kv in opts.metadata):
        return "--metadata takes KEY=VALUE"
    return encoding.check_combination(opts.syntax, opts.bits, opts.offset_table, opts.fragments)


def level_numbers(opts):
    if opts.levels:
        return sorted({int(v) for v in opts.levels.split(",")})
    return geometry.default_levels(opts.width, opts.height, opts.tile_w, opts.tile_h)


def volume_plans(opts, paths):
    z = geometry.focal_plane_offsets(opts.focal_planes, opts.z_spacing)
    planes = [(i, z[i]) for i in range(opts.focal_planes)]
    plane_groups = [[p] for p in planes] if opts.split_planes else [planes]
    path_groups = [[p] for p in paths] if opts.split_paths else [paths]
    middle = [(pattern.EXTENDED_FOCUS_PLANE, z[len(z) // 2])]
    plans = []
    for number in level_numbers(opts):
        level = geometry.Level(number, opts.width, opts.height, opts.tile_w, opts.tile_h)
        missing = geometry.missing_tiles(level, opts.missing_tiles, opts.seed) if opts.organization == "sparse" else set()
        image_type = LEVEL0_TYPE if number == 0 else RESAMPLED_TYPE
        for path_group in path_groups:
            plans += [InstancePlan(level, g, path_group, image_type, missing=missing) for g in plane_groups]
            if opts.extended_focus:
                plans.append(InstancePlan(level, middle, path_group, image_type, True, missing))
    return plans


def single_plans(opts):
    plans = []
    kinds = [k for k, wanted in (("LABEL", opts.label), ("OVERVIEW", opts.overview)) if wanted]
    for kind in kinds:
        image_type, width, height, spacing = SINGLE_IMAGES[kind]
        tile = opts.label_tile if kind == "LABEL" else None
        plans.append(single_plan(image_type, width, height, spacing, opts.seed + len(plans), tile))
    if opts.thumbnail:
        scale = max(opts.width / 256, opts.height / 256, 1)
        width, height = max(1, round(opts.width / scale)), max(1, round(opts.height / scale))
        image_type = ["DERIVED", "PRIMARY", "THUMBNAIL", "RESAMPLED"]
        plans.append(single_plan(image_type, width, height, geometry.BASE_PIXEL_SPACING_MM * scale, opts.seed + 7))
    return plans


def single_plan(image_type, width, height, spacing, seed, tile=None):
    level = geometry.Level(0, width, height, tile or width, tile or height)
    level.spacing_column = level.spacing_row = spacing
    return InstancePlan(level, [(0, 0.0)], [optical.brightfield_path()], image_type,
                        picture=pattern.picture(width, height, seed))


def file_name(plan):
    kind = plan.image_type[2].lower()
    if kind != "volume":
        return f"{kind}.dcm"
    planes = "edf" if plan.extended else "z" + "-".join(str(p[0]) for p in plan.planes)
    paths = "p" + "-".join(p["identifier"] for p in plan.paths)
    return f"level{plan.level.index}_{planes}_{paths}.dcm"


def write_images(opts, plans, samples, bits):
    records = []
    for number, plan in enumerate(plans, start=1):
        single = plan.picture is not None
        for part in foreign.parts(plan, opts):
            ds, entry = build_instance(plan, opts, 3 if single else samples, 8 if single else bits, number, part)
            entry["file"] = file_name(plan).replace(".dcm", f"_part{part}.dcm" if part else ".dcm")
            if single:
                entry["level"] = None
            ds.save_as(os.path.join(opts.outdir, entry["file"]), write_like_original=False)
            records.append(entry)
    return records


def standard_values(opts, paths):
    """Values the reader finds in standard attributes, for comparison with its getters."""
    return {
        "Manufacturer": common.MANUFACTURER, "ManufacturerModelName": common.MODEL_NAME,
        "DeviceSerialNumber": common.DEVICE_SERIAL, "SoftwareVersions": common.SOFTWARE_VERSIONS,
        "AcquisitionDateTime": common.ACQUISITION_DATETIME, "AcquisitionDuration": common.ACQUISITION_DURATION_S,
        "ObjectiveLensPower": float(optical.OBJECTIVE_POWER), "ContainerIdentifier": common.CONTAINER_ID,
        "SpecimenIdentifier": common.SPECIMEN_ID, "StudyInstanceUID": opts.ids.study,
        "LabelText": opts.label_text if opts.label else None, "BarcodeValue": opts.barcode if opts.label else None,
        "BasePixelSpacingMm": geometry.BASE_PIXEL_SPACING_MM, "Channels": paths,
    }


def main(argv):
    opts = parse_arguments(argv)
    error = check_options(opts)
    if error:
        print(f"make_test_slide: {error}", file=sys.stderr)
        return 2
    os.makedirs(opts.outdir, exist_ok=True)
    opts.ids = common.SlideIds(opts.seed, opts.series_uid)
    opts.icc_profile = optical.srgb_icc_profile()
    paths = optical.channel_table(opts.channels) if opts.channels else [optical.brightfield_path()]
    overrides = dict(kv.split("=", 1) for kv in opts.metadata)
    wanted = opts.private_metadata or overrides
    opts.metadata_values = metadata.build([p["name"] for p in paths], overrides) if wanted else None
    samples = 1 if opts.channels else 3
    records = write_images(opts, volume_plans(opts, paths), samples, opts.bits)
    records += write_images(opts, single_plans(opts), 3, 8)
    manifest = {
        "generator_arguments": argv, "series_instance_uid": opts.ids.series,
        "study_instance_uid": opts.ids.study, "frame_of_reference_uid": opts.ids.frame_of_reference,
        "tile_pattern": pattern.DESCRIPTION, "files": records, "standard_values": standard_values(opts, paths),
        "private_metadata": {"creator": metadata.PRIVATE_CREATOR, "tag": "(0029,1010)",
                             "values": opts.metadata_values},
        "annotations": write_annotations(opts, records),
    }
    with open(os.path.join(opts.outdir, "manifest.json"), "w", encoding="utf-8") as out:
        json.dump(manifest, out, indent=1)
    return 0


def write_annotations(opts, records):
    if not opts.annotations:
        return None
    level0 = next((r for r in records if r["image_type"] == "VOLUME" and not r["extended_focus"]), None)
    if level0 is None:
        return None
    reference = ("1.2.840.10008.5.1.4.1.1.77.1.6", level0["sop_instance_uid"])
    z_um = level0["focal_planes"][0]["z_offset_um"]
    ds, entry = annotations.build(opts.ids, opts.annotations, opts.width, opts.height, reference, z_um)
    entry["file"] = f"annotations_{opts.annotations}.dcm"
    ds.save_as(os.path.join(opts.outdir, entry["file"]), write_like_original=False)
    return entry


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

# Level instances laid out as other writers lay them out: frames in Morton (Z) or random order
# placed only by per-frame positions with no Dimension Organization Type, no Image Type, and
# one level split over several instances (with or without concatenation attributes).
import random

from . import common


def wants_positions(opts, plan):
    """Whether this instance places its frames by per-frame positions only."""
    volume = plan.image_type[2] == "VOLUME"
    return volume and (opts.frame_order is not None or (opts.split_level > 1 and not opts.concatenation))


def morton_key(frame):
    path, plane, row, col = frame
    key = 0
    for bit in range(16):
        key |= ((col >> bit) & 1) << (2 * bit) | ((row >> bit) & 1) << (2 * bit + 1)
    return (path, plane, key)


def reorder(frames, opts, plan):
    if plan.image_type[2] != "VOLUME" or opts.frame_order is None:
        return frames
    if opts.frame_order == "morton":
        return sorted(frames, key=morton_key)
    shuffled = list(frames)
    random.Random(opts.seed * 104729 + plan.level.index).shuffle(shuffled)
    return shuffled


def parts(plan, opts):
    """Part numbers of the instances one plan is written as (0 = not split)."""
    return list(range(1, opts.split_level + 1)) if plan.image_type[2] == "VOLUME" and opts.split_level > 1 else [0]


def part_frames(frames, opts, part):
    """The frames of one part: consecutive runs of about equal size; the first frame's index."""
    if part == 0:
        return frames, 0
    size = -(-len(frames) // opts.split_level)
    first = (part - 1) * size
    return frames[first:first + size], first


def apply(ds, opts, plan, part, first_frame, whole_uid):
    """Removes the attributes other writers leave out and adds the split's attributes."""
    volume = plan.image_type[2] == "VOLUME"
    if volume and opts.frame_order is not None:
        del ds.DimensionOrganizationType
    if volume and opts.no_image_type:
        del ds.ImageType
    if part and opts.concatenation:
        ds.ConcatenationUID = common.uid(opts.ids.seed, "concatenation", whole_uid)
        ds.SOPInstanceUIDOfConcatenationSource = whole_uid
        ds.ConcatenationFrameOffsetNumber = first_frame
        ds.InConcatenationNumber = part
        ds.InConcatenationTotalNumber = opts.split_level
    elif part and "DimensionOrganizationType" in ds:
        ds.DimensionOrganizationType = "TILED_SPARSE"

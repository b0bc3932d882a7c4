"""Drop-in equivalence: zorvel on the DICOM series and OpenSlide on the TIFF of the same JPEG tiles
must give the same geometry, pixel-identical regions and identical Deep Zoom tiles."""
import random

import numpy as np
import pytest

import zorvel
from zorvel.deepzoom import DeepZoomGenerator

openslide = pytest.importorskip("openslide")
from openslide.deepzoom import DeepZoomGenerator as ReferenceDeepZoom  # noqa: E402


@pytest.fixture(scope="module")
def slides(pyramid):
    with zorvel.open_slide(pyramid / "dicom") as ours, openslide.OpenSlide(str(pyramid / "slide.tiff")) as ref:
        yield ours, ref


def seeded_regions():
    """Per level: aligned, unaligned, edge-crossing and outside regions. Above level 0 positions are
    multiples of the downsample or negative (OpenSlide resamples other positions, see README)."""
    rng = random.Random(20)
    regions = []
    for level, (ds, w, h) in enumerate([(1, 2048, 1536), (2, 1024, 768), (4, 512, 384), (8, 256, 192)]):
        regions += [((0, 0), level, (256, 256)), ((w * ds - 100 * ds, h * ds - 60 * ds), level, (300, 200)),
                    ((-37, -5), level, (120, 90)), ((w * ds + 8, 0), level, (10, 10))]
        for _ in range(4):
            size = (rng.randint(1, 700), rng.randint(1, 500))
            location = (rng.randint(-50, w) * ds, rng.randint(-50, h) * ds)
            regions.append((location, level, size))
    return regions


def test_geometry_matches(slides):
    ours, ref = slides
    assert ours.dimensions == ref.dimensions
    assert ours.level_count == ref.level_count
    assert ours.level_dimensions == ref.level_dimensions
    assert ours.level_downsamples == ref.level_downsamples
    for downsample in (0.5, 1, 1.9, 2, 3, 4, 7.99, 8, 100):
        assert ours.get_best_level_for_downsample(downsample) == ref.get_best_level_for_downsample(downsample)


@pytest.mark.parametrize("region", seeded_regions(), ids=str)
def test_read_region_is_pixel_identical(slides, region):
    ours, ref = slides
    assert np.array_equal(np.asarray(ours.read_region(*region)), np.asarray(ref.read_region(*region)))


@pytest.mark.parametrize("tile_size,overlap", [(254, 1), (510, 2), (200, 0)])
def test_deep_zoom_is_identical(slides, tile_size, overlap):
    ours, ref = (DeepZoomGenerator(s, tile_size=tile_size, overlap=overlap) for s in slides)
    assert (ours.level_count, ours.level_tiles, ours.level_dimensions, ours.tile_count) == \
        (ref.level_count, ref.level_tiles, ref.level_dimensions, ref.tile_count)
    assert ours.get_dzi("jpeg") == ref.get_dzi("jpeg")
    for level in range(ours.level_count):
        columns, rows = ours.level_tiles[level]
        for address in [(c, r) for c in range(columns) for r in range(rows)]:
            assert ours.get_tile_coordinates(level, address) == ref.get_tile_coordinates(level, address)
            assert np.array_equal(np.asarray(ours.get_tile(level, address)),
                                  np.asarray(ref.get_tile(level, address))), (level, address)


def test_thumbnail_matches(slides):
    ours, ref = slides
    assert np.array_equal(np.asarray(ours.get_thumbnail((300, 300))), np.asarray(ref.get_thumbnail((300, 300))))

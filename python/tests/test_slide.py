"""zorvel.ZorvelSlide beyond the drop-in members: arrays, raw tiles, 16-bit and fluorescence slides,
focus and channel arguments, errors, closing and concurrent readers."""
import hashlib
import os
import subprocess
import sys
import threading

import numpy as np
import pytest

import zorvel
from conftest import REGION_ORACLE

E_INVALIDARG = 0x80070057
E_NOTIMPL = 0x80004001
FLUORESCENCE = ("--width", 600, "--height", 400, "--levels", "0,1", "--syntax", "explicit", "--bits", 16,
                "--channels", 3, "--focal-planes", 3)
SINGLES = ("--width", 1024, "--height", 768, "--levels", "0", "--syntax", "explicit", "--label",
           "--overview", "--thumbnail", "--annotations", "2d")


def oracle(slide_dir, grid, level, blue, plane, wide, tmp_path):
    """B, G, R picture of grid tiles `grid` (x1, y1, x2, y2) composed by the independent oracle."""
    out = tmp_path / "oracle.raw"
    arguments = [REGION_ORACLE, slide_dir, *grid, level, blue, plane, int(wide), out]
    subprocess.run([sys.executable, *map(str, arguments)], check=True)
    width, height = (grid[2] - grid[0] + 1) * 256, (grid[3] - grid[1] + 1) * 256
    return np.fromfile(out, np.uint16 if wide else np.uint8).reshape(height, width, 3)


def module_serves(call):
    try:
        return call()
    except zorvel.ZorvelError as error:
        if error.hresult == E_NOTIMPL:
            pytest.skip(f"the module does not serve {error.call} yet")
        raise


@pytest.fixture(scope="module")
def slide(pyramid):
    with zorvel.ZorvelSlide(pyramid / "dicom") as opened:
        yield opened


@pytest.mark.parametrize("location,level,size", [((0, 0), 0, (256, 256)), ((301, 17), 0, (513, 700)),
                                                 ((-40, 1400), 1, (300, 200)), ((2000, 1500), 3, (40, 40))])
def test_array_is_region_without_alpha(slide, location, level, size):
    region = np.asarray(slide.read_region(location, level, size))
    array = slide.read_region_array(location, level, size)
    assert array.dtype == np.uint8 and array.shape == (size[1], size[0], 3)
    assert np.array_equal(array, region[..., :3])
    reused = np.full_like(array, 7)
    assert slide.read_region_array(location, level, size, out=reused) is reused
    assert np.array_equal(reused, array)


def test_narrow_regions_are_slices_of_a_wide_one(slide):
    # Every row end the pixel conversion has, in steps of 4 and 5 pixels, with and without alpha.
    wide = slide.read_region_array((301, 17), 0, (40, 3))
    for offset, width in [(offset, width) for offset in (0, 1) for width in range(1, 13)]:
        array = slide.read_region_array((301 + offset, 17), 0, (width, 3))
        assert np.array_equal(array, wide[:, offset:offset + width]), (offset, width)
        rgba = np.asarray(slide.read_region((301 + offset, 17), 0, (width, 3)))
        assert np.array_equal(rgba[..., :3], array) and (rgba[..., 3] == 255).all(), (offset, width)


def test_raw_tiles_are_the_stored_bytes(slide, pyramid):
    import json
    manifest = json.loads((pyramid / "manifest.json").read_text())
    for level, entry in enumerate(manifest["levels"]):
        digest = hashlib.sha256()
        for row in range(entry["tiles_down"]):
            for column in range(entry["tiles_across"]):
                digest.update(slide.read_tile_raw(level, column, row))
        assert digest.hexdigest() == entry["sha256"], level


def test_properties_and_associated_images_of_a_plain_slide(slide):
    props = slide.properties
    assert props[zorvel.PROPERTY_NAME_MPP_X] == "0.5" and props["Slide width in pixels"] == "2048"
    assert props[zorvel.PROPERTY_NAME_VENDOR] == "dicom" and props["zorvel.level[3].width"] == "256"
    with pytest.raises(TypeError):
        props["x"] = "y"
    assert list(slide.associated_images) == []
    assert zorvel.detect_format(slide._filename) == "dicom"


@pytest.mark.parametrize("focus,plane", [(None, -1), (-1, 0), (0, 1), (1, 2)])
def test_sixteen_bit_fluorescence_and_focus_reach_the_module(make_test_slide, tmp_path, focus, plane):
    directory = make_test_slide(*FLUORESCENCE)
    expected = oracle(directory, (0, 0, 2, 1), 0, 0, plane, True, tmp_path)[:400, :600, ::-1]
    with zorvel.open_slide(directory) as fluorescence:
        assert fluorescence.focal_planes == (-1, 0, 1)
        array = fluorescence.read_region_array((0, 0), 0, (600, 400), focus=focus)
        assert array.dtype == np.uint16
        assert np.array_equal(array, expected)
        rgba = np.asarray(fluorescence.read_region((0, 0), 0, (600, 400), focus=focus))
        assert np.array_equal(rgba[..., :3], (expected >> 8).astype(np.uint8))


def test_channel_argument_reaches_the_module(make_test_slide, tmp_path):
    # The blue argument names the first channel; channel c lands in sample c mod 3.
    directory = make_test_slide(*FLUORESCENCE)
    expected = oracle(directory, (0, 0, 0, 0), 1, 2, -1, True, tmp_path)[..., ::-1]
    with zorvel.open_slide(directory) as fluorescence:
        only_last = fluorescence.read_region_array((0, 0), 1, (256, 256), channels=(0, 1, 2))
    assert only_last[..., 0].any() and not only_last[..., 1:].any()
    assert np.array_equal(only_last, expected)


def test_channels_singles_and_annotations(make_test_slide):
    with zorvel.open_slide(make_test_slide(*SINGLES)) as opened:
        assert [c["name"] for c in module_serves(lambda: opened.channels)] == ["Blue", "Green", "Red"]
        images = module_serves(lambda: dict(opened.associated_images))
        assert set(images) == {"label", "overview", "thumbnail"}
        assert all(image.mode == "RGBA" and image.size[0] > 0 for image in images.values())
        annotations = module_serves(lambda: opened.annotations)
        kinds = [record["kind"] for record in annotations]
        assert {"SlideFlag", "MeasureingBookmark", "PolygonBookmark"} <= set(kinds)
        markers = [record["text"] for record in annotations if record["kind"] == "TMAMarker"]
        assert markers == ["TMA A1", "TMA A2", "TMA B1"]
        for record in annotations:
            assert record["points"], record
            if record["points"]:
                xs, ys = zip(*record["points"])
                assert record["bounds"] == (min(xs), min(ys), max(xs), max(ys)), record


@pytest.mark.parametrize("call,code", [
    (lambda s: s.read_region((0, 0), 4, (10, 10)), E_INVALIDARG),
    (lambda s: s.read_region((0, 0), -1, (10, 10)), E_INVALIDARG),
    (lambda s: s.read_region((0, 0), 0, (-1, 10)), E_INVALIDARG),
    (lambda s: s.read_region((0, 0), 0, (10, 10), focus=0, channels=(None, 1, 0)), E_INVALIDARG),
    (lambda s: s.read_tile_raw(0, 99, 0), None),
])
def test_errors_carry_the_code(slide, call, code):
    with pytest.raises(zorvel.ZorvelError) as raised:
        call(slide)
    assert raised.value.hresult is not None and raised.value.call
    if code is not None:
        assert raised.value.hresult == code


@pytest.mark.parametrize("path", ["/nonexistent/slide", __file__])
def test_what_is_no_slide_fails_to_open(path):
    with pytest.raises(zorvel.ZorvelError) as raised:
        zorvel.open_slide(path)
    assert raised.value.hresult & 0x80000000
    assert zorvel.detect_format(path) is None


def test_closed_slide_raises(pyramid):
    opened = zorvel.open_slide(pyramid / "dicom")
    opened.close()
    opened.close()
    with pytest.raises(zorvel.ZorvelError):
        opened.read_region((0, 0), 0, (10, 10))


def test_eight_threads_read_what_one_thread_reads(slide):
    rng = np.random.default_rng(8)
    regions = [((int(rng.integers(-100, 2000)), int(rng.integers(-100, 1500))), int(rng.integers(0, 4)),
                (int(rng.integers(1, 600)), int(rng.integers(1, 600)))) for _ in range(48)]
    regions = [((x - x % (1 << level), y - y % (1 << level)), level, size) for (x, y), level, size in regions]
    expected = [slide.read_region_array(*region) for region in regions]
    failures = []

    def reader(offset):
        for i in range(len(regions)):
            index = (i + offset) % len(regions)
            if not np.array_equal(slide.read_region_array(*regions[index]), expected[index]):
                failures.append(index)

    threads = [threading.Thread(target=reader, args=(n * 6,)) for n in range(8)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert failures == []


def test_installed_package_opens_a_slide(pyramid, tmp_path):
    build = os.environ.get("ZORVEL_BINARY_DIR")
    if not build:
        pytest.skip("ZORVEL_BINARY_DIR is not set")
    prefix = tmp_path / "prefix"
    # cmake is no part of what is tested: it runs without the sanitizer runtime of a sanitizer build.
    plain = {name: value for name, value in os.environ.items() if name != "LD_PRELOAD"}
    subprocess.run(["cmake", "--install", build, "--prefix", prefix], check=True, stdout=subprocess.DEVNULL,
                   env=plain, timeout=120)
    package_dirs = list(prefix.glob("lib/python3*/dist-packages"))
    assert len(package_dirs) == 1
    script = ("import sys, zorvel; s = zorvel.open_slide(sys.argv[1]); "
              "assert zorvel.__file__.startswith(sys.argv[2]); print(s.dimensions)")
    env = dict(os.environ, PYTHONPATH=str(package_dirs[0]))
    env.pop("ZORVEL_MODULE", None)
    out = subprocess.run([sys.executable, "-c", script, pyramid / "dicom", prefix], env=env, check=True,
                         capture_output=True, text=True, cwd=tmp_path)
    assert out.stdout.strip() == "(2048, 1536)"

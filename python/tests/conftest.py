"""Slides for the zorvel tests, generated once per session into a temporary folder.

`pyramid`: ../shared/bench/make_slide.py's 2048 x 1536 slide as DICOM and as tiled TIFF (the same
JPEG tiles); tests that need it skip when the generator is absent. `make_test_slide`: the project's
own generator for 16-bit, fluorescence, focal-plane and single-image slides.
"""
import os
import subprocess
import sys
from pathlib import Path

import pytest

SOURCE_DIR = Path(os.environ.get("ZORVEL_SOURCE_DIR", Path(__file__).resolve().parents[2]))
SHARED_DIR = Path(os.environ.get("ZORVEL_SHARED_DIR", SOURCE_DIR.parent / "shared"))
BENCH_SLIDE_GENERATOR = SHARED_DIR / "bench" / "make_slide.py"
TEST_SLIDE_GENERATOR = SOURCE_DIR / "tools" / "make_test_slide.py"
REGION_ORACLE = SOURCE_DIR / "tests" / "render" / "region_oracle.py"


def _run(arguments):
    subprocess.run([sys.executable, *map(str, arguments)], check=True, stdout=subprocess.DEVNULL)


@pytest.fixture(scope="session")
def pyramid(tmp_path_factory):
    if not BENCH_SLIDE_GENERATOR.exists():
        pytest.skip(f"{BENCH_SLIDE_GENERATOR} is absent")
    out = tmp_path_factory.mktemp("pyramid")
    _run([BENCH_SLIDE_GENERATOR, "--width", 2048, "--height", 1536, "--min-level-size", 300,
          "--threads", 1, "--out", out])
    return out


@pytest.fixture(scope="session")
def make_test_slide(tmp_path_factory):
    made = {}

    def make(*options):
        if options not in made:
            out = tmp_path_factory.mktemp("slide")
            _run([TEST_SLIDE_GENERATOR, *options, out])
            made[options] = out
        return made[options]
    return make

#!/usr/bin/python3
"""1024 x 1024 regions: zorvel's read_region_array on the DICOM series against OpenSlide's
read_region on the TIFF of the same JPEG tiles (make_slide.py output), with 1 and 2 threads, and
zorvel against the module's own GetImage (getimage_bench) on the same regions.

Usage: PYTHONPATH=build/python region_bench.py SLIDE_OUT_DIR [--regions N] [--repeat R]
       [--getimage-bench build-bench/bin/python_getimage_bench]
Cold passes open a new slide for each pass (the module empties its caches when its last slide
closes; OpenSlide's cache belongs to its handle); warm passes reuse one open slide. Readers are
interleaved, a getimage_bench run follows each warm repetition, and each figure is the median of R
passes; ratios compare figures of this one run.
"""
import argparse
import concurrent.futures as cf
import json
import os
import random
import statistics
import subprocess
import sys
import tempfile
import threading
import time

import numpy as np
import openslide

import zorvel

SIZE = 1024
WARM_ROUNDS = 4  # a warm pass alone lasts a few milliseconds: too short to time on a busy machine


def regions(width, height, count, seed=7):
    rng = random.Random(seed)
    return [(rng.randrange(0, width - SIZE), rng.randrange(0, height - SIZE)) for _ in range(count)]


_POOLS = {}  # one pool per thread count, so that passes reuse their threads


def read_all(read, locations, threads):
    def work(part):
        for location in locations[part::threads]:
            read(location)
    pool = _POOLS.setdefault(threads, cf.ThreadPoolExecutor(threads))
    list(pool.map(work, range(threads)))


_OUTPUTS = threading.local()  # per thread, kept across passes like getimage_bench's bitmaps


def zorvel_reader(slide):
    local = _OUTPUTS

    def read(location):
        # One output array per thread, reused between regions (first touch of memory is slow here).
        if not hasattr(local, "out"):
            local.out = np.empty((SIZE, SIZE, 3), np.uint8)
        slide.read_region_array(location, 0, (SIZE, SIZE), out=local.out)
    return read


def openslide_reader(slide):
    return lambda location: slide.read_region(location, 0, (SIZE, SIZE))


def timed_pass(open_slide, make_reader, locations, threads, slide=None):
    """Wall and process CPU seconds of one pass; a warm pass is timed over WARM_ROUNDS passes."""
    own = slide is None
    if own:
        slide = open_slide()
    rounds = 1 if own else WARM_ROUNDS
    start, cpu_start = time.perf_counter(), time.process_time()
    for _ in range(rounds):
        read_all(make_reader(slide), locations, threads)
    seconds, cpu_seconds = time.perf_counter() - start, time.process_time() - cpu_start
    if own:
        slide.close()
    return seconds / rounds, cpu_seconds / rounds


def getimage_seconds(bench, dicom_dir, locations, threads):
    """Seconds and process CPU seconds per pass of GetImage alone and of GetImage with the binding's
    copy, from one run."""
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as listing:
        for x, y in locations:
            listing.write(f"0 {x} {y} {SIZE} {SIZE}\n")
    env = dict(os.environ, ZORVEL_BENCH_SLIDE=str(dicom_dir), ZORVEL_BENCH_REGIONS=listing.name)
    out = subprocess.run([bench, f"--benchmark_filter=threads:{threads}$", "--benchmark_format=json",
                          "--benchmark_min_time=0.5"], env=env, check=True, capture_output=True, text=True)
    os.unlink(listing.name)
    # An iteration is one thread's share of a pass, and times are per iteration.
    runs = {run["name"].split("/")[0]: (run["real_time"] * threads / 1000.0, run["cpu_time"] * threads / 1000.0)
            for run in json.loads(out.stdout)["benchmarks"]}
    return runs["BM_GetImageRegions"], runs["BM_GetImageAndCopy"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("slide_out_dir")
    parser.add_argument("--regions", type=int, default=24)
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--getimage-bench")
    args = parser.parse_args()
    dicom_dir = os.path.join(args.slide_out_dir, "dicom")
    tiff = os.path.join(args.slide_out_dir, "slide.tiff")
    readers = {
        "openslide": (lambda: openslide.OpenSlide(tiff), openslide_reader),
        "zorvel": (lambda: zorvel.ZorvelSlide(dicom_dir), zorvel_reader),
    }
    with zorvel.ZorvelSlide(dicom_dir) as probe:
        locations = regions(*probe.dimensions, args.regions)
    megapixels = len(locations) * SIZE * SIZE / 1e6
    print(f"{len(locations)} regions of {SIZE} x {SIZE} at level 0, {args.repeat} passes each")
    for threads in (1, 2):
        for mode in ("cold", "warm"):
            times = {name: [] for name in readers}
            module = {"GetImage": [], "GetImage + copy": []}
            compare = mode == "warm" and args.getimage_bench
            open_slides = {name: opener() for name, (opener, _) in readers.items()} if mode == "warm" else {}
            for name, (opener, make_reader) in readers.items():  # warm-up pass, not counted
                timed_pass(opener, make_reader, locations, threads, open_slides.get(name))
            for _ in range(args.repeat):
                for name, (opener, make_reader) in readers.items():
                    times[name].append(timed_pass(opener, make_reader, locations, threads, open_slides.get(name)))
                if compare:  # the C++ figures between the Python passes, in the same conditions
                    for key, seconds in zip(module, getimage_seconds(args.getimage_bench, dicom_dir, locations,
                                                                     threads)):
                        module[key].append(seconds)
            for slide in open_slides.values():
                slide.close()
            median = {name: statistics.median(wall for wall, _ in values) for name, values in times.items()}
            zorvel_cpu = statistics.median(cpu for _, cpu in times["zorvel"])
            line = ", ".join(f"{name} {megapixels / seconds:7.1f} MP/s" for name, seconds in median.items())
            print(f"threads {threads} {mode}: {line}; zorvel / openslide = "
                  f"{median['openslide'] / median['zorvel']:.2f}x")
            if compare:
                for key, values in module.items():
                    seconds = statistics.median(wall for wall, _ in values)
                    cpu = statistics.median(cpu for _, cpu in values)
                    print(f"threads {threads} warm: {key} (C++) {megapixels / seconds:7.1f} MP/s; zorvel over it "
                          f"{(median['zorvel'] / seconds - 1) * 100:+.1f} % wall, "
                          f"{(zorvel_cpu / cpu - 1) * 100:+.1f} % CPU")
    return 0


if __name__ == "__main__":
    sys.exit(main())

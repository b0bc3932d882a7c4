#!/bin/sh
# Runs every libFuzzer target for SECONDS each (default 30) from a fuzzing build, with seed
# corpora made here: generated slides and codec samples, the real and damaged files of
# ../shared/testdata when present, and the committed regression inputs in fuzz/regressions/.
# Usage: fuzz/run.sh [SECONDS] [BUILD_DIR]
#   BUILD_DIR (default build-fuzz) is configured here with clang and -DZORVEL_FUZZ=ON when it has
#   no cache yet; only the fuzz_* targets and what they link are built. Exits non-zero when a
#   target finds a crash, leak or timeout.
set -eu
seconds=${1:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build-fuzz}
targets="fuzz_slide_file fuzz_annotations fuzz_jpeg fuzz_jp2k"
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZORVEL_FUZZ=ON -DZORVEL_BUILD_TESTS=OFF -DZORVEL_BUILD_BENCH=OFF >/dev/null
fi
# shellcheck disable=SC2086
cmake --build "$build" --target $targets
build=$(cd "$build" && pwd)
work=$build/fuzz-work
python=/usr/bin/python3
testdata=$root/../shared/testdata
mkdir -p "$work/seeds" "$work/artifacts"

seed_slides() {
  out=$work/seeds/slides
  [ -d "$out" ] && return 0
  mkdir -p "$out/gen"
  i=0
  for options in "--syntax jpeg" "--offset-table extended" "--syntax explicit --channels 2 --bits 16" \
      "--syntax implicit" "--frame-order morton --no-image-type --offset-table empty --fragments-per-frame 2" \
      "--split-level 2 --concatenation" "--syntax jpeg2000 --organization sparse --missing-tiles 1"; do
    i=$((i + 1))
    # shellcheck disable=SC2086
    $python "$root/tools/make_test_slide.py" "$out/gen/$i" --width 512 --height 256 --tile 128 --levels 0 $options \
      --annotations 2d >/dev/null
    for f in "$out/gen/$i"/*.dcm; do cp "$f" "$out/$i-$(basename "$f")"; done
  done
  rm -rf "$out/gen"
  if [ -d "$testdata" ]; then
    find "$testdata" -name '*.dcm' | while read -r f; do cp "$f" "$out/real-$(echo "$f" | md5sum | cut -c1-12).dcm"; done
  fi
}

seed_codecs() {
  out=$work/seeds/codecs
  [ -d "$out" ] && return 0
  mkdir -p "$out/samples" "$out/jpeg" "$out/jp2k"
  $python "$root/tests/components/make_codec_samples.py" "$out/samples" >/dev/null
  for f in "$out/samples"/*.enc; do
    case $(head -c 2 "$f" | od -An -tx1 | tr -d ' ') in
      ffd8) cp "$f" "$out/jpeg/" ;;
      *) cp "$f" "$out/jp2k/" ;;
    esac
  done
  rm -rf "$out/samples"
}

seed_slides
seed_codecs
status=0
for target in $targets; do
  case $target in
    fuzz_slide_file | fuzz_annotations) seeds=$work/seeds/slides ;;
    fuzz_jpeg) seeds=$work/seeds/codecs/jpeg ;;
    fuzz_jp2k) seeds=$work/seeds/codecs/jp2k ;;
  esac
  corpus=$work/corpus/$target
  mkdir -p "$corpus" "$root/fuzz/regressions/$target"
  echo "== $target: $seconds s"
  if ! "$build/bin/$target" "$corpus" "$seeds" "$root/fuzz/regressions/$target" -max_total_time="$seconds" \
      -timeout=10 -rss_limit_mb=2048 -max_len=4194304 -print_final_stats=1 \
      -artifact_prefix="$work/artifacts/$target-" 2>"$work/$target.log"; then
    status=1
    echo "   finding: see $work/$target.log and $work/artifacts/"
  fi
  grep -E "stat::number_of_executed_units|cov: " "$work/$target.log" | tail -2 | sed 's/^/   /'
done
exit $status

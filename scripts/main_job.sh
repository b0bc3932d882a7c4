#!/usr/bin/env bash
# The main job: make a sample slide in the build tree and show it with zorvel: its facts, a
# thumbnail, one full-resolution region, the label, the channels, the annotations and the
# rendering speed. Each step that fails says so and the job goes on with the next one.
set -uo pipefail
build_dir=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
slide_dir=$build_dir/sample-slide
zorvel=$build_dir/bin/zorvel
failed=0

# Runs one zorvel command, echoing it first; a failure is counted, not fatal.
show() {
  echo
  echo "\$ zorvel $*"
  "$zorvel" "$@" || { echo "(zorvel $1 failed: see the message above)"; failed=$((failed + 1)); }
}

echo "Generating a sample slide (brightfield JPEG pyramid, label, annotations) in $slide_dir"
rm -rf "$slide_dir"
/usr/bin/python3 "$source_dir/tools/make_test_slide.py" "$slide_dir" --width 4096 --height 3072 \
  --label --label-text "Sample slide" --annotations 2d >/dev/null || exit 1

show info "$slide_dir"
show thumbnail "$slide_dir" --max 512 -o "$build_dir/sample-thumbnail.png"
show render "$slide_dir" --level 0 --rect 1024,768,1024,768 -o "$build_dir/sample-region.png"
show image "$slide_dir" label -o "$build_dir/sample-label.png"
show channels "$slide_dir"
echo
echo "\$ zorvel annotations $slide_dir | tail -n 1"
if annotations=$("$zorvel" annotations "$slide_dir"); then
  echo "$annotations" | tail -n 1
else
  echo "(zorvel annotations failed: see the message above)"
  failed=$((failed + 1))
fi
show bench "$slide_dir" --regions 48 --size 1024 --threads 2

echo
echo "Pictures: $build_dir/sample-thumbnail.png, $build_dir/sample-region.png, $build_dir/sample-label.png"
echo "To look at the slide in a browser: $zorvel serve $slide_dir --port 8080   (then open http://127.0.0.1:8080/)"
[ "$failed" -eq 0 ] || { echo "$failed step(s) failed."; exit 1; }

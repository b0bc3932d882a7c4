#!/usr/bin/env bash
# The main job: make a sample slide in the build tree, print its facts with zorvel and write one
# decoded tile as PNG.
set -euo pipefail
build_dir=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/.." && pwd)
slide_dir=$build_dir/sample-slide
zorvel=$build_dir/bin/zorvel

echo "Generating a sample slide (brightfield JPEG pyramid, label, annotations) in $slide_dir"
rm -rf "$slide_dir"
/usr/bin/python3 "$source_dir/tools/make_test_slide.py" "$slide_dir" --width 4096 --height 3072 \
  --label --label-text "Sample slide" --annotations 2d >/dev/null

echo
echo "\$ zorvel info $slide_dir"
"$zorvel" info "$slide_dir"

echo
tile_png=$build_dir/sample-tile.png
echo "\$ zorvel tile $slide_dir --level 2 --x 1 --y 1 -o $tile_png --decode"
if "$zorvel" tile "$slide_dir" --level 2 --x 1 --y 1 -o "$tile_png" --decode; then
  echo "Wrote the decoded tile (level 2, column 1, row 1) to $tile_png"
else
  echo "Could not write a tile (see the message above); the slide's facts are printed above."
fi

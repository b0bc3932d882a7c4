#!/usr/bin/env bash
# The main job: make a sample slide and show what the built libraries read from it.
set -euo pipefail
build_dir=$1
echo "Built libraries:"
ls -1 "$build_dir"/lib

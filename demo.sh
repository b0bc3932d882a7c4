#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the project and runs the main job on a generated slide.
set -euo pipefail
cd "$(dirname "$0")"

scripts/setup_deps.sh
build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# Only what the main job runs: zorvel and the module it loads (the test suites are built by ./test.sh).
cmake --build "$build_dir" --target zorvel
exec scripts/main_job.sh "$build_dir"

#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything and runs every test.
# BUILD_DIR and ZORVEL_CMAKE_ARGS (e.g. -DZORVEL_SANITIZE=address,undefined) may be set.
set -euo pipefail
cd "$(dirname "$0")"

scripts/setup_deps.sh
build_dir=${BUILD_DIR:-build}
# shellcheck disable=SC2086
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORVEL_WERROR=ON ${ZORVEL_CMAKE_ARGS:-}
cmake --build "$build_dir"
scripts/lint.sh
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" --timeout 300

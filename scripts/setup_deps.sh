#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and generates test slides with.
# Idempotent: apt is called only when a package is missing, with one 'apt-get update' first.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libgdcm-dev libturbojpeg0-dev libopenjp2-7-dev libtbb-dev libpng-dev
  python3-pydicom python3-numpy python3-pil dicom3tools
  python3-dev pybind11-dev python3-pybind11 python3-pytest python3-openslide python3-tifffile
  locales
  libcpp-httplib-dev chromium
  clang libclang-rt-14-dev  # the libFuzzer targets: clang with its fuzzer and sanitizer runtimes
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# Node.js and npm (for the viewer's OpenSeadragon and its browser test) come from Debian unless a
# node with npm is already on the machine.
if ! command -v npm >/dev/null 2>&1; then
  missing+=(nodejs npm)
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing Debian packages: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
  fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" < /dev/null
fi

# The viewer page's npm packages, exactly as locked; fetched again only when the lock changed.
web_dir=$(cd "$(dirname "$0")/../tools/zorvel/serve/web" && pwd)
if [ ! -f "$web_dir/node_modules/.package-lock.json" ] || \
    [ "$web_dir/package-lock.json" -nt "$web_dir/node_modules/.package-lock.json" ]; then
  (cd "$web_dir" && npm ci --no-audit --no-fund --loglevel=error)
fi

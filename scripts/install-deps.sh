#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package Braxel needs to build, test, fuzz and benchmark.
# Idempotent: does nothing (and prints nothing) when all packages are present.
set -euo pipefail

packages=(
  # build tools
  build-essential cmake ninja-build pkg-config git
  # imaging libraries
  libjpeg62-turbo-dev libpng-dev zlib1g-dev libtiff-dev libgif-dev libimagequant-dev
  libopenjp2-7-dev libgraphicsmagick1-dev libcairo2-dev
  # GUI and automation (D-Bus)
  qt6-base-dev dbus dbus-x11
  # tests, fuzzing and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev llvm
  graphicsmagick imagemagick libvips-tools libimage-exiftool-perl hyperfine
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
# Refresh the package lists only when an install fails on stale ones.
if ! $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null; then
  $sudo apt-get update -q >/dev/null
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi

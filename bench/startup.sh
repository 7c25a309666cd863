#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up cost of converting one small file: braxel against ImageMagick's convert and
# GraphicsMagick, measured with hyperfine. Usage: bench/startup.sh [build folder]
set -euo pipefail
build="${1:-build}"
braxel="$(cd "$build" && pwd)/bin/braxel"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
gm convert -size 64x64 gradient:red-blue "$work/small.png"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
"$braxel" --version >/dev/null
hyperfine -N --warmup 20 --runs 200 --export-markdown "$work/startup.md" \
  "$braxel /S $work/small.png /T $work/b.jpg" \
  "convert-im6.q16 $work/small.png $work/i.jpg" \
  "gm convert $work/small.png $work/g.jpg" >/dev/null
cat "$work/startup.md"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Converts the shipped demo images into ./demo-output with a log file, then prints the log.
set -uo pipefail
build="$(cd "${1:-build}" && pwd)"
out="$PWD/demo-output"
rm -rf "$out"
mkdir -p "$out"
"$build/bin/braxel" /S "$build/share/braxel/Demo Data/*.*" /F -1 /T "$out/*.png" /Z /L "$out/demo.log"
status=$?
echo "== $out/demo.log"
cat "$out/demo.log"
echo "== outputs"
ls -l "$out"
exit $status

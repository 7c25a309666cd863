#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang in build-fuzz and runs each for N seconds (default 30)
# from its seed corpus. Crashes are written to build-fuzz/artifacts/ and fail the run.
set -euo pipefail
seconds=${1:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRAXEL_FUZZ_BUILD:-$root/build-fuzz}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRAXEL_FUZZ=ON -DBRAXEL_GUI=OFF -DBRAXEL_TESTS=OFF >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target braxel_fuzzers

seeds=$build/seeds
rm -rf "$seeds"
"$build/bin/fuzz_make_seeds" "$seeds"
# Variants Braxel does not write itself (run-length BMPs, OS/2 and 16-bit BMPs, progressive JPEG,
# interlaced PNG and GIF, tiled TIFF), when ImageMagick is present.
if command -v convert-im6.q16 >/dev/null; then
  src="$seeds/8/seed-20"
  im() { convert-im6.q16 "$src" "$@" 2>/dev/null || true; }
  im -colors 16 -type palette -compress rle "bmp3:$seeds/2/im-rle4"
  im -colors 100 -type palette -compress rle "bmp3:$seeds/2/im-rle8"
  im -alpha off "bmp2:$seeds/2/im-os2"
  im -alpha off -define bmp:subtype=RGB565 "bmp:$seeds/2/im-565"
  im "bmp:$seeds/2/im-v5"
  im -interlace line "jpg:$seeds/1/im-progressive"
  im -colorspace cmyk "jpg:$seeds/1/im-cmyk"
  im -interlace line "png:$seeds/8/im-interlaced"
  im -depth 16 "png:$seeds/8/im-16"
  im -colors 8 -interlace gif "gif:$seeds/4/im-interlaced"
  im -define tiff:tile-geometry=16x16 "tif:$seeds/3/im-tiled"
  im -colorspace cmyk "tif:$seeds/3/im-cmyk"
fi

declare -A formats=([fuzz_jpeg]=1 [fuzz_bmp]=2 [fuzz_tiff]=3 [fuzz_gif]=4 [fuzz_png]=8 \
  [fuzz_j2k]=6 [fuzz_pcx]=7 [fuzz_ras]=9 [fuzz_tga]=10 [fuzz_ico]=12)
mkdir -p "$build/artifacts"
status=0
for target in "$build"/bin/fuzz_* "$build"/bin/*_fuzz; do
  [[ -x "$target" ]] || continue
  name=$(basename "$target")
  [[ "$name" == fuzz_make_seeds ]] && continue
  corpus=$build/corpus/$name
  mkdir -p "$corpus"
  code=${formats[$name]:-}
  if [[ -n "$code" && -d "$seeds/$code" ]]; then cp -n "$seeds/$code"/* "$corpus"/ 2>/dev/null || true; fi
  extra=()
  [[ -d "$root/fuzz/corpus/$name" ]] && extra+=("$root/fuzz/corpus/$name")
  echo "== $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=512 -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$name-" "$corpus" "${extra[@]}" 2>"$build/$name.log"; then
    echo "!! $name found a problem; see $build/$name.log and $build/artifacts/" >&2
    tail -n 40 "$build/$name.log" >&2
    status=1
  else
    grep -E 'stat::number_of_executed_units|cov:' "$build/$name.log" | tail -n 2
  fi
done
exit $status

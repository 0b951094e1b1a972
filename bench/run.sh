#!/usr/bin/env bash
# The registration run against the JPEG encode floor, measured in the same run:
# for a 8000 × 6000 and a 20000 × 14000 map-like 24-bit BMP, the best of five
# `cjpeg -quality 50` of the same pixels from a PPM on one core (the floor),
# measured again for each grid, and the best of five full runs of pelmora-tile
# (overview, tiles, index) at 4 × 4 and 10 × 10 on 2 workers, with the run's
# peak resident memory and its peak private memory (what it holds besides
# files and shared libraries).
# The same runs under eatmydata, which turns fsync into nothing, give what
# flushing every file and the folder costs (column fsync_s; "-" without
# eatmydata).
# Limits: run ÷ floor at most 0.9; peak memory at most the BMP's size + 200 MB;
# peak private memory at most 64 MB.
# Exit status 1 when a limit is exceeded.
#
# Environment: see bench/common.sh (the rasters take about 2 GB).
set -euo pipefail
source "$(dirname "$0")/common.sh"
repeats="${REPEATS:-5}"

jobs=2
max_ratio=0.9
memory_allowance_mb=200
max_private_mb=64

bench_build pelmora-tile
tile="$(bench_executable pelmora-tile)"
bench_require cjpeg taskset awk
nosync="$(command -v eatmydata || true)"

warn_if_busy
failed=0
printf '%-13s %-7s %8s %8s %9s %11s %9s %11s %10s\n' raster grid floor_s run_s run/floor peak_RSS_MB limit_MB private_MB fsync_s
for size in 8000x6000 20000x14000; do
  width=${size%x*}
  height=${size#*x}
  bench_map "$width" "$height"

  bmp_mb=$(( $(stat -L -c %s "$bmp") / 1048576 ))
  limit_mb=$(( bmp_mb + memory_allowance_mb ))
  for grid in 4 10; do
    # The floor again for each grid, just before its runs: the host's speed
    # drifts over seconds, and a ratio should compare the same moments.
    before_each=""
    best_of taskset -c 0 cjpeg -quality 50 -outfile "$work/floor.jpg" "$ppm"
    read -r floor _ <"$measured"
    rm -f "$work/floor.jpg"

    out="$work/tiles"
    before_each="rm -rf '$out'; mkdir -p '$out'"
    command=("$tile" -u "$height,$width" -l 0,0 -r "$grid" -c "$grid" -q 50 -j "$jobs" -o "$out" --quiet "$bmp")
    best_of "${command[@]}"
    read -r run _ peak_kb anon_kb <"$measured"
    fsync_cost="-"
    if [ -n "$nosync" ]; then
      best_of "$nosync" "${command[@]}"
      read -r unsynced _ <"$measured"
      fsync_cost=$(awk -v r="$run" -v u="$unsynced" 'BEGIN { printf "%.3f", r - u }')
    fi
    rm -rf "$out"
    ratio=$(awk -v r="$run" -v f="$floor" 'BEGIN { printf "%.4f", r / f }')
    peak_mb=$(( peak_kb / 1024 ))
    private_mb=$(( (anon_kb + 1023) / 1024 ))
    verdict=""
    if awk -v r="$ratio" -v m="$max_ratio" 'BEGIN { exit !(r > m) }'; then verdict+=" ratio>$max_ratio"; failed=1; fi
    if [ "$peak_mb" -gt "$limit_mb" ]; then verdict+=" memory>limit"; failed=1; fi
    if [ "$private_mb" -gt "$max_private_mb" ]; then verdict+=" private>${max_private_mb}MB"; failed=1; fi
    printf '%-13s %-7s %8.3f %8.3f %9.2f %11d %9d %11d %10s%s\n' "$size" "${grid}x$grid" "$floor" "$run" \
      "$ratio" "$peak_mb" "$limit_mb" "$private_mb" "$fsync_cost" "$verdict"
  done
done
[ -n "$nosync" ] || echo "$script: eatmydata is missing (scripts/install-deps installs it): no fsync cost" >&2
warn_if_busy
exit "$failed"

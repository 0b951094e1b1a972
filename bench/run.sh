#!/usr/bin/env bash
# The registration run against the JPEG encode floor, measured in the same run:
# for a 8000 × 6000 and a 20000 × 14000 map-like 24-bit BMP, the best of three
# `cjpeg -quality 50` of the same pixels from a PPM on one core (the floor)
# and the best of three full runs of pelmora-tile (overview, tiles, index) at
# 4 × 4 and 10 × 10 on 2 workers, with the run's peak resident memory.
# Limits: run ÷ floor at most 1.5; peak memory at most the BMP's size + 200 MB.
# Exit status 1 when a limit is exceeded.
#
# Environment: BUILD (default build/), BENCH_DIR for the generated files
# (default /tmp/pelmora-bench, about 2 GB), REPEATS (default 3).
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$here/build}"
work="${BENCH_DIR:-/tmp/pelmora-bench}"
repeats="${REPEATS:-3}"
jobs=2
max_ratio=1.5
memory_allowance_mb=200

"$here/scripts/install-deps"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target make_map measure pelmora-tile -j 2 >/dev/null
make_map="$(find "$build" -name make_map -type f -perm -u+x | head -n 1)"
measure="$(find "$build" -name measure -type f -perm -u+x | head -n 1)"
tile="$(find "$build" -name pelmora-tile -type f -perm -u+x | head -n 1)"
for tool in cjpeg taskset awk; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing" >&2; exit 2; }
done

mkdir -p "$work"
measured="$work/measured"

# Runs a command $repeats times; leaves "best_seconds peak_kilobytes" in
# $measured (best wall time, largest peak resident set of the runs).
best_of() {
  local best="" peak=0 seconds rss
  for _ in $(seq "$repeats"); do
    [ -n "${before_each:-}" ] && eval "$before_each"
    "$measure" "$work/measure.txt" "$@" >/dev/null
    read -r seconds rss <"$work/measure.txt"
    best=$(awk -v a="$seconds" -v b="$best" 'BEGIN { print (b == "" || a < b) ? a : b }')
    [ "$rss" -gt "$peak" ] && peak=$rss
  done
  echo "$best $peak" >"$measured"
}

# Other work on the machine takes cores from the two-worker run more than
# from the one-core floor: say so rather than print figures that mislead.
warn_if_busy() {
  local load
  read -r load _ </proc/loadavg
  if awk -v l="$load" 'BEGIN { exit !(l > 0.7) }'; then
    echo "run.sh: load average $load: other work shares the cores, the figures read high" >&2
  fi
}

warn_if_busy
failed=0
printf '%-13s %-7s %8s %8s %11s %13s %13s\n' raster grid floor_s run_s run/floor peak_RSS_MB limit_MB
for size in 8000x6000 20000x14000; do
  width=${size%x*}
  height=${size#*x}
  bmp="$work/map_$size.bmp"
  ppm="$work/map_$size.ppm"
  [ -s "$bmp" ] && [ -s "$ppm" ] || "$make_map" "$width" "$height" "$bmp" "$ppm"
  # Warm the page cache so that both sides read from memory.
  cat "$bmp" "$ppm" >/dev/null

  before_each=""
  best_of taskset -c 0 cjpeg -quality 50 -outfile "$work/floor.jpg" "$ppm"
  read -r floor _ <"$measured"
  rm -f "$work/floor.jpg"

  bmp_mb=$(( $(stat -L -c %s "$bmp") / 1048576 ))
  limit_mb=$(( bmp_mb + memory_allowance_mb ))
  for grid in 4 10; do
    out="$work/tiles"
    before_each="rm -rf '$out'; mkdir -p '$out'"
    best_of "$tile" -u "$height,$width" -l 0,0 -r "$grid" -c "$grid" -q 50 -j "$jobs" \
      -o "$out" --quiet "$bmp"
    read -r run peak_kb <"$measured"
    rm -rf "$out"
    ratio=$(awk -v r="$run" -v f="$floor" 'BEGIN { printf "%.4f", r / f }')
    peak_mb=$(( peak_kb / 1024 ))
    verdict=""
    if awk -v r="$ratio" -v m="$max_ratio" 'BEGIN { exit !(r > m) }'; then verdict+=" ratio>$max_ratio"; failed=1; fi
    if [ "$peak_mb" -gt "$limit_mb" ]; then verdict+=" memory>limit"; failed=1; fi
    printf '%-13s %-7s %8.3f %8.3f %11.2f %13d %13d%s\n' "$size" "${grid}x$grid" "$floor" "$run" \
      "$ratio" "$peak_mb" "$limit_mb" "$verdict"
  done
done
warn_if_busy
exit "$failed"

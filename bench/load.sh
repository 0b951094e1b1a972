#!/usr/bin/env bash
# The load command against the JPEG encode floor, measured in the same run:
# for a 20000 × 14000 map-like 24-bit BMP, the best of three `cjpeg -quality 50`
# of the same pixels from a PPM on one core (the floor) and the best of three
# loads on an in-memory form (window height 16200 units: map, fit, draw the
# view, grid), each in a fresh process; then the grid command on the loaded
# raster and the load's peak resident memory.
# Limits: load ÷ floor at most 0.8; grid under 0.1 s without opening the file
# again; peak memory at most the BMP's size + 200 MB.
# Exit status 1 when a limit is exceeded.
#
# Environment: see bench/common.sh (the raster takes about 1.7 GB).
set -euo pipefail
source "$(dirname "$0")/common.sh"

max_ratio=0.8
max_grid_seconds=0.1
memory_allowance_mb=200

bench_build load_bench
load_bench="$(bench_executable load_bench)"
bench_require cjpeg taskset awk
size=20000x14000
bench_map 20000 14000

best() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }

warn_if_busy
best_of taskset -c 0 cjpeg -quality 50 -outfile "$work/floor.jpg" "$ppm"
read -r floor _ <"$measured"
rm -f "$work/floor.jpg"

load="" grid="" peak_kb=0 anon_kb=0 reopened=0
for _ in $(seq "$repeats"); do
  read -r l g p a r < <("$load_bench" "$bmp")
  load=$(best "$l" "$load")
  grid=$(best "$g" "$grid")
  [ "$p" -gt "$peak_kb" ] && peak_kb=$p
  [ "$a" -gt "$anon_kb" ] && anon_kb=$a
  [ "$r" -ne 0 ] && reopened=1
done

ratio=$(awk -v l="$load" -v f="$floor" 'BEGIN { printf "%.3f", l / f }')
bmp_mb=$(( $(stat -L -c %s "$bmp") / 1048576 ))
limit_mb=$(( bmp_mb + memory_allowance_mb ))
peak_mb=$(( peak_kb / 1024 ))
failed=0
printf 'raster %s BMP, %d MB\n' "$size" "$bmp_mb"
printf 'encode floor (cjpeg -quality 50, one core)  %8.3f s\n' "$floor"
printf 'load (map, fit, view, grid)                 %8.3f s\n' "$load"
printf 'load / floor                                %8s   limit %s\n' "$ratio" "$max_ratio"
printf 'grid command on the loaded raster           %8.4f s   limit %s s, file opened again: %s\n' \
  "$grid" "$max_grid_seconds" "$([ "$reopened" -eq 0 ] && echo no || echo yes)"
printf 'peak resident memory                        %8d MB   limit %d MB (private %d MB)\n' \
  "$peak_mb" "$limit_mb" $(( anon_kb / 1024 ))
if awk -v r="$ratio" -v m="$max_ratio" 'BEGIN { exit !(r > m) }'; then echo "FAIL: load / floor > $max_ratio"; failed=1; fi
if awk -v g="$grid" -v m="$max_grid_seconds" 'BEGIN { exit !(g >= m) }'; then echo "FAIL: grid too slow"; failed=1; fi
if [ "$reopened" -ne 0 ]; then echo "FAIL: the grid command opened the file again"; failed=1; fi
if [ "$peak_mb" -gt "$limit_mb" ]; then echo "FAIL: peak memory over the limit"; failed=1; fi
exit "$failed"

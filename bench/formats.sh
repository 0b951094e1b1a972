#!/usr/bin/env bash
# Pelmora on a compressed GeoTIFF against GDAL's own tools, in one run: the
# generated 20000 × 14000 map-like raster of bench/run.sh saved by GDAL as an
# LZW-compressed tiled TIFF (gdal_translate -co TILED=YES -co COMPRESS=LZW),
#   - pelmora-tile at 4 × 4 and 10 × 10, quality 50, every core (load and run:
#     the decoding, the overview, the tiles and the index)
#     against gdal_retile.py on the same file, same grid, QUALITY=50;
#   - the load alone, pelmora-tile --dry-run, against
#     gdal_translate -outsize 1080 0 of the same file to a JPEG.
# Best wall time of REPEATS runs with that run's CPU time and the largest peak
# resident memory (largest single process).
#
# Limits (exit status 1 when one is missed; 2 when a tool is missing):
#   - the runs at least 2.5 times faster than gdal_retile.py;
#   - pelmora-tile's peak memory at most 400 MB;
#   - the load at most 0.6 times the time of gdal_translate -outsize 1080 0.
#
#   bench/formats.sh          Environment: see bench/common.sh.
set -euo pipefail
source "$(dirname "$0")/common.sh"

width=20000
height=14000
min_speedup=2.5
max_peak_mb=400
max_load_ratio=0.6

bench_build pelmora-tile
tile="$(bench_executable pelmora-tile)"
bench_require gdal_translate awk
gdal_retile="$(command -v gdal_retile.py || command -v gdal_retile || true)"
[ -n "$gdal_retile" ] || { echo "$script: gdal_retile.py is missing (apt-get install python3-gdal)" >&2; exit 2; }

bench_map "$width" "$height"
tif="$work/map_${width}x${height}_lzw.tif"
[ -s "$tif" ] || gdal_translate -q -co TILED=YES -co COMPRESS=LZW "$bmp" "$tif"
cat "$tif" >/dev/null
warn_if_busy

out="$work/format-tiles"
before_each="rm -rf '$out'; mkdir -p '$out'; sync"

declare -A wall cpu peak
record() {  # record NAME
  read -r w c k _ <"$measured"
  wall[$1]=$w
  cpu[$1]=$c
  peak[$1]=$(( k / 1024 ))
}

best_of "$tile" -n "$tif"
record load
best_of gdal_translate -q -of JPEG -outsize 1080 0 "$tif" "$out/small.jpg"
record translate
for grid in 4 10; do
  best_of "$tile" -u "$height,$width" -l 0,0 -r "$grid" -c "$grid" -q 50 -o "$out" --quiet "$tif"
  record "pelmora_$grid"
  best_of "$gdal_retile" -q -ps $(( width / grid )) $(( height / grid )) -of JPEG -co QUALITY=50 \
    -targetDir "$out" "$tif"
  record "retile_$grid"
done

failed=0
verdict() {  # verdict OK_CONDITION
  if awk "BEGIN { exit !($1) }"; then echo ok; else echo "MISSED"; failed=1; fi
}
echo "raster: $tif (${width} x ${height}, LZW tiled TIFF), best of $repeats, $(nproc) cores"
printf '%-34s %8s %8s %8s\n' command wall_s cpu_s peak_MB
for name in load translate pelmora_4 retile_4 pelmora_10 retile_10; do
  printf '%-34s %8.3f %8.3f %8d\n' "$name" "${wall[$name]}" "${cpu[$name]}" "${peak[$name]}"
done
ratio=$(awk -v a="${wall[load]}" -v b="${wall[translate]}" 'BEGIN { printf "%.2f", a / b }')
echo "load: ${ratio}x the time of gdal_translate -outsize 1080 0 (at most $max_load_ratio): $(verdict "$ratio <= $max_load_ratio")"
for grid in 4 10; do
  speedup=$(awk -v g="${wall[retile_$grid]}" -v p="${wall[pelmora_$grid]}" 'BEGIN { printf "%.2f", g / p }')
  echo "${grid}x$grid: ${speedup}x faster than gdal_retile.py (at least $min_speedup): $(verdict "$speedup >= $min_speedup")"
  p=${peak[pelmora_$grid]}
  echo "${grid}x$grid: peak ${p} MB (at most $max_peak_mb): $(verdict "$p <= $max_peak_mb")"
done
exit "$failed"

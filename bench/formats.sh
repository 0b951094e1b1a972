#!/usr/bin/env bash
# Pelmora on compressed sources, against each source's floor and two other
# tools, in one run.
#
# The table: the generated 8000 × 6000 map-like raster of bench/run.sh (a BMP
# and a PPM of the same pixels), saved by gdal_translate as
#   PNG; JPEG (-co QUALITY=90); JPEG 2000 (-of JP2OpenJPEG, default options:
#   lossy, 1024 × 1024 tiles; its lossless form, -co QUALITY=100
#   -co REVERSIBLE=YES, decodes no faster here);
#   Deflate tiled TIFF (-co TILED=YES -co COMPRESS=DEFLATE); LZW TIFF in strips
#   (-co COMPRESS=LZW); and the uncompressed BMP itself.
# Each source cut 4 × 4 at quality 50 by
#   - pelmora-tile (every core; the run also writes the overview image and the
#     .AR2 index);
#   - gdal_retile.py -ps 2000 1500 -of JPEG -co QUALITY=50 (the same 16 tiles);
#   - vips dzsave --depth one --tile-size 2000 --overlap 0 --suffix .jpg[Q=50]
#     (12 square tiles of 2000, the nearest libvips has; the BMP reaches vips
#     through ImageMagick, given a private policy as in bench/peers.sh).
# The floor of a source is what two cores can do at best when its decoding and
# the JPEG encoding overlap:
#   floor = max(D_all, (D_one + E) / 2)
#   D_one: GDAL decoding every pixel of the source to RGB rows on one core
#          (bench/decode_bench, taskset -c 0);
#   D_all: the same on every core, one dataset per thread, each thread a share
#          of whole block rows, or D_one when that is less (PNG and JPEG
#          decode from the start: a second thread decodes its way to its
#          share);
#   E:     cjpeg -quality 50 of the same pixels from the PPM on one core.
# All of them measured in this run, just before each source's runs.
#
# Then, unless only the table is asked for, the generated 20000 × 14000 raster
# saved as an LZW tiled TIFF (gdal_translate -co TILED=YES -co COMPRESS=LZW):
#   - pelmora-tile at 4 × 4 and 10 × 10, quality 50, every core, against
#     gdal_retile.py on the same file, same grid, QUALITY=50;
#   - the window's load alone (bench/load_bench: the decoding, the view and
#     the grid; a dry run decodes nothing), against gdal_translate -outsize
#     1080 0 of the same file to a JPEG.
#
# Figures: best wall time of REPEATS runs (common.sh's best_of), with that
# run's CPU time and the largest peak resident memory (largest process).
#
# Limits (exit status 1 when one is missed; 2 when a tool is missing):
#   - table: each source's pelmora-tile at most 1.2 times its floor; faster
#     than gdal_retile.py on every source; faster than vips dzsave on the JPEG
#     and the two TIFFs;
#   - 20000 × 14000 LZW TIFF: at least 2.5 times faster than gdal_retile.py;
#     pelmora-tile's peak memory at most 400 MB; the load at most 0.6 times
#     the time of gdal_translate -outsize 1080 0.
#
#   bench/formats.sh [table|lzw]   table: the table only; lzw: the 20000 × 14000
#                                  TIFF only (its raster takes a while to make)
# Environment: see bench/common.sh.
set -euo pipefail
source "$(dirname "$0")/common.sh"

parts="${1:-all}"
case "$parts" in
  all | table | lzw) ;;
  *) echo "usage: bench/formats.sh [table|lzw]" >&2; exit 2 ;;
esac

max_floor_ratio=1.2
min_speedup=2.5
max_peak_mb=400
max_load_ratio=0.6

"$here/scripts/install-deps" libvips-tools python3-gdal
bench_build pelmora-tile decode_bench load_bench
tile="$(bench_executable pelmora-tile)"
decode="$(bench_executable decode_bench)"
bench_require gdal_translate cjpeg taskset awk vips
gdal_retile="$(command -v gdal_retile.py || command -v gdal_retile || true)"
[ -n "$gdal_retile" ] || { echo "$script: gdal_retile.py is missing (apt-get install python3-gdal)" >&2; exit 2; }

use_private_magick_policy

out="$work/format-tiles"
before_each="rm -rf '$out'; mkdir -p '$out'; sync"
cores=$(nproc)

declare -A wall cpu peak
record() {  # record NAME
  read -r w c k _ <"$measured"
  wall[$1]=$w
  cpu[$1]=$c
  peak[$1]=$(( k / 1024 ))
}

failed=0
verdict() {  # verdict OK_CONDITION TEXT : prints "TEXT: ok" or "TEXT: MISSED"
  if awk "BEGIN { exit !($1) }"; then echo "$2: ok"; else echo "$2: MISSED"; failed=1; fi
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# translated NAME GDAL_TRANSLATE_OPTIONS... : sets $made to $bmp saved by
# gdal_translate as $work/NAME (made once, then reused). Written under another
# name with the same extension first: JP2OpenJPEG picks the JP2 file or the
# bare codestream by it.
translated() {
  local partial="$work/partial-$1"
  made="$work/$1"
  shift
  if [ ! -s "$made" ]; then
    gdal_translate -q "$@" "$bmp" "$partial"
    mv "$partial" "$made"
  fi
}

table() {
  local width=8000 height=6000
  bench_map "$width" "$height"
  local names=(bmp png jpeg jp2 deflate lzw)
  declare -A label file
  label=([bmp]="BMP (uncompressed)" [png]="PNG" [jpeg]="JPEG (quality 90)" [jp2]="JPEG 2000"
         [deflate]="TIFF Deflate, tiled" [lzw]="TIFF LZW, strips")
  file[bmp]=$bmp
  translated "map_${width}x${height}.png" -of PNG; file[png]=$made
  translated "map_${width}x${height}_q90.jpg" -of JPEG -co QUALITY=90; file[jpeg]=$made
  translated "map_${width}x${height}.jp2" -of JP2OpenJPEG; file[jp2]=$made
  translated "map_${width}x${height}_deflate.tif" -of GTiff -co TILED=YES -co COMPRESS=DEFLATE
  file[deflate]=$made
  translated "map_${width}x${height}_lzw_strips.tif" -of GTiff -co COMPRESS=LZW; file[lzw]=$made
  warn_if_busy

  local name f
  declare -A floor_of
  for name in "${names[@]}"; do
    f=${file[$name]}
    cat "$f" >/dev/null
    before_each=""
    best_of taskset -c 0 "$decode" "$f"
    record "one_$name"
    best_of "$decode" -j "$cores" "$f"
    record "all_$name"
    best_of taskset -c 0 cjpeg -quality 50 -outfile "$work/floor.jpg" "$ppm"
    record "encode_$name"
    rm -f "$work/floor.jpg"
    # Every core can at least do what one does.
    wall[all_$name]=$(awk -v one="${wall[one_$name]}" -v all="${wall[all_$name]}" \
      'BEGIN { print (one < all ? one : all) }')
    floor_of[$name]=$(awk -v one="${wall[one_$name]}" -v all="${wall[all_$name]}" -v e="${wall[encode_$name]}" \
      'BEGIN { pair = (one + e) / 2; printf "%.4f", (all > pair ? all : pair) }')

    before_each="rm -rf '$out'; mkdir -p '$out'; sync"
    best_of "$tile" -u "$height,$width" -l 0,0 -r 4 -c 4 -q 50 -o "$out" --quiet "$f"
    record "pelmora_$name"
    best_of "$gdal_retile" -q -ps $(( width / 4 )) $(( height / 4 )) -of JPEG -co QUALITY=50 -targetDir "$out" "$f"
    record "retile_$name"
    best_of vips dzsave "$f" "$out/tiles" --depth one --tile-size 2000 --overlap 0 --suffix '.jpg[Q=50]'
    record "vips_$name"
  done

  echo "sources: the ${width} x ${height} map ($bmp) through gdal_translate; 4 x 4 tiles at quality 50;"
  echo "wall seconds, best of $repeats, $cores cores; floor = max(decode on every core, (decode on one + cjpeg) / 2)"
  echo "| source | Pelmora | its floor | × floor | gdal_retile | libvips dzsave |"
  echo "|---|---|---|---|---|---|"
  for name in "${names[@]}"; do
    printf '| %s | %.3f | %.3f | %s | %.3f | %.3f |\n' "${label[$name]}" "${wall[pelmora_$name]}" "${floor_of[$name]}" \
      "$(ratio "${wall[pelmora_$name]}" "${floor_of[$name]}")" "${wall[retile_$name]}" "${wall[vips_$name]}"
  done
  echo
  echo "| source | decode, every core | decode, one core | cjpeg, one core | Pelmora CPU s | peak MB: Pelmora / gdal_retile / vips |"
  echo "|---|---|---|---|---|---|"
  for name in "${names[@]}"; do
    printf '| %s | %.3f | %.3f | %.3f | %.3f | %d / %d / %d |\n' "${label[$name]}" "${wall[all_$name]}" \
      "${wall[one_$name]}" "${wall[encode_$name]}" "${cpu[pelmora_$name]}" \
      "${peak[pelmora_$name]}" "${peak[retile_$name]}" "${peak[vips_$name]}"
  done
  echo
  local r
  for name in "${names[@]}"; do
    r=$(ratio "${wall[pelmora_$name]}" "${floor_of[$name]}")
    verdict "${wall[pelmora_$name]} <= $max_floor_ratio * ${floor_of[$name]}" \
      "${label[$name]}: ${r}x its floor (at most $max_floor_ratio)"
    r=$(ratio "${wall[retile_$name]}" "${wall[pelmora_$name]}")
    verdict "${wall[pelmora_$name]} < ${wall[retile_$name]}" \
      "${label[$name]}: ${r}x faster than gdal_retile.py (more than 1)"
    case "$name" in
      jpeg | deflate | lzw)
        r=$(ratio "${wall[vips_$name]}" "${wall[pelmora_$name]}")
        verdict "${wall[pelmora_$name]} < ${wall[vips_$name]}" \
          "${label[$name]}: ${r}x faster than vips dzsave (more than 1)"
        ;;
    esac
  done
}

lzw() {
  local width=20000 height=14000 grid
  bench_map "$width" "$height"
  translated "map_${width}x${height}_lzw.tif" -of GTiff -co TILED=YES -co COMPRESS=LZW
  local tif=$made
  cat "$tif" >/dev/null
  warn_if_busy

  before_each="rm -rf '$out'; mkdir -p '$out'; sync"
  best_of "$(bench_executable load_bench)" "$tif"
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

  echo "raster: $tif (${width} x ${height}, LZW tiled TIFF), best of $repeats, $cores cores"
  printf '%-34s %8s %8s %8s\n' command wall_s cpu_s peak_MB
  local name
  for name in load translate pelmora_4 retile_4 pelmora_10 retile_10; do
    printf '%-34s %8.3f %8.3f %8d\n' "$name" "${wall[$name]}" "${cpu[$name]}" "${peak[$name]}"
  done
  local r p
  r=$(ratio "${wall[load]}" "${wall[translate]}")
  verdict "$r <= $max_load_ratio" "load: ${r}x the time of gdal_translate -outsize 1080 0 (at most $max_load_ratio)"
  for grid in 4 10; do
    r=$(ratio "${wall[retile_$grid]}" "${wall[pelmora_$grid]}")
    verdict "$r >= $min_speedup" "${grid}x$grid: ${r}x faster than gdal_retile.py (at least $min_speedup)"
    p=${peak[pelmora_$grid]}
    verdict "$p <= $max_peak_mb" "${grid}x$grid: peak ${p} MB (at most $max_peak_mb)"
  done
}

[ "$parts" = lzw ] || table
[ "$parts" = all ] && echo
[ "$parts" = table ] || lzw
rm -rf "$out"
warn_if_busy
exit "$failed"

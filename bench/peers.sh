#!/usr/bin/env bash
# Pelmora against other tools that cut a raster into JPEG tiles, on the same
# generated 8000 × 6000 map-like 24-bit BMP as bench/run.sh (or --size), in one run:
#   - pelmora-tile at 4 × 4 and 10 × 10, quality 50, every core
#     (its run also writes the overview image and the .AR2 index);
#   - gdal_retile.py (GDAL), tiles of a quarter / a tenth of each side, QUALITY=50;
#   - ImageMagick 6, `convert-im6.q16 BMP -crop 4x4@ +repage -quality 50`;
#   - libvips: the BMP through ImageMagick (vips has no BMP reader of its own)
#     into a .v file once, then one `vips crop` per tile, as many at a time as
#     there are cores;
#   - the encode floor: `cjpeg -quality 50` of the same pixels from a PPM, one core.
# Each tool is measured where installed, best wall time of REPEATS runs, with
# that run's CPU time (user + system, all processes) and peak resident memory
# (largest single process). Ratios: wall time over the floor's, and over the
# fastest peer's at the same grid.
#
# Debian's ImageMagick policy refuses big rasters and keeps pixels on disk
# beyond 256 MiB; ImageMagick and libvips are both given a private policy
# (MAGICK_CONFIGURE_PATH) with higher limits, so that neither is handicapped.
#
# Limit: pelmora-tile at least 6 times faster than gdal_retile.py at both
# grids (exit status 1 otherwise; 2 when gdal_retile.py or a tool we need is
# missing).
#
#   bench/peers.sh [--install] [--size WIDTHxHEIGHT]
#     --install: apt-get the peers first; --size: another raster (20000x14000)
#
# Environment: see bench/common.sh.
set -euo pipefail
source "$(dirname "$0")/common.sh"

width=8000
height=6000
min_speedup=6

install=0
while [ $# -gt 0 ]; do
  case "$1" in
    --install) install=1 ;;
    --size) width=${2%x*} height=${2#*x}; shift ;;
    *) echo "usage: bench/peers.sh [--install] [--size WIDTHxHEIGHT]" >&2; exit 2 ;;
  esac
  shift
done
if [ "$install" = 1 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq -o DPkg::Lock::Timeout=600 >/dev/null
  $sudo apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 \
    gdal-bin python3-gdal imagemagick libvips-tools libjpeg-turbo-progs >/dev/null
fi

bench_build pelmora-tile
tile="$(bench_executable pelmora-tile)"
bench_require cjpeg taskset awk
# A `convert` found first on PATH may be another program: name ImageMagick's own.
magick="$(command -v convert-im6.q16 || true)"
gdal_retile="$(command -v gdal_retile.py || command -v gdal_retile || true)"
vips="$(command -v vips || true)"

bench_map "$width" "$height"

use_private_magick_policy

out="$work/peer-tiles"
before_each="rm -rf '$out'; mkdir -p '$out'; sync"
# The per-tile crops of libvips, as a script of its own so that it is measured whole.
cat >"$work/vips-tiles.sh" <<'SH'
#!/usr/bin/env bash
# vips-tiles.sh BMP OUT GRID WIDTH HEIGHT
set -euo pipefail
bmp=$1 out=$2 grid=$3 width=$4 height=$5
vips magickload "$bmp" "$out/raster.v"
tw=$(( width / grid )) th=$(( height / grid ))
for r in $(seq 0 $(( grid - 1 ))); do
  for c in $(seq 0 $(( grid - 1 ))); do
    echo "$(( c * tw )) $(( r * th )) $(( r * grid + c ))"
  done
done | xargs -P "$(nproc)" -n 3 sh -c \
  'vips crop "$0/raster.v" "$0/tile_$3.jpg[Q=50]" "$1" "$2" '"$tw $th" "$out"
rm -f "$out/raster.v"
SH
chmod +x "$work/vips-tiles.sh"

declare -A wall cpu peak
record() {  # record NAME GRID
  read -r w c k _ <"$measured"
  wall[$1,$2]=$w
  cpu[$1,$2]=$c
  peak[$1,$2]=$(( k / 1024 ))
}

best_of taskset -c 0 cjpeg -quality 50 -outfile "$out/floor.jpg" "$ppm"
record floor -
floor=${wall[floor,-]}

tools=(pelmora)
[ -n "$gdal_retile" ] && tools+=(gdal_retile.py)
[ -n "$magick" ] && tools+=(imagemagick)
[ -n "$vips" ] && [ -n "$magick" ] && tools+=(libvips)

for grid in 4 10; do
  best_of "$tile" -u "$height,$width" -l 0,0 -r "$grid" -c "$grid" -q 50 -o "$out" --quiet "$bmp"
  record pelmora $grid
  if [ -n "$gdal_retile" ]; then
    best_of "$gdal_retile" -q -ps $(( width / grid )) $(( height / grid )) -of JPEG -co QUALITY=50 \
      -targetDir "$out" "$bmp"
    record gdal_retile.py $grid
  fi
  if [ -n "$magick" ]; then
    best_of "$magick" "$bmp" -crop "${grid}x${grid}@" +repage -quality 50 "$out/tile_%03d.jpg"
    record imagemagick $grid
  fi
  if [ -n "$vips" ] && [ -n "$magick" ]; then
    best_of "$work/vips-tiles.sh" "$bmp" "$out" "$grid" "$width" "$height"
    record libvips $grid
  fi
done

failed=0
echo "raster: $bmp (${width} x ${height}, 24-bit BMP), best of $repeats, $(nproc) cores"
printf '%-15s %-6s %8s %8s %8s %10s %12s\n' tool grid wall_s cpu_s peak_MB wall/floor wall/fastest
printf '%-15s %-6s %8.3f %8.3f %8d %10.2f %12s\n' "cjpeg (floor)" "-" "$floor" "${cpu[floor,-]}" \
  "${peak[floor,-]}" 1 "-"
for grid in 4 10; do
  fastest=""
  for t in "${tools[@]}"; do
    [ "$t" = pelmora ] && continue
    w=${wall[$t,$grid]}
    if [ -z "$fastest" ] || awk -v a="$w" -v b="$fastest" 'BEGIN { exit !(a < b) }'; then fastest=$w; fi
  done
  for t in "${tools[@]}"; do
    w=${wall[$t,$grid]}
    vs_fastest="-"
    [ -n "$fastest" ] && vs_fastest=$(awk -v a="$w" -v b="$fastest" 'BEGIN { printf "%.2f", a / b }')
    printf '%-15s %-6s %8.3f %8.3f %8d %10.2f %12s\n' "$t" "${grid}x$grid" "$w" "${cpu[$t,$grid]}" \
      "${peak[$t,$grid]}" "$(awk -v a="$w" -v b="$floor" 'BEGIN { print a / b }')" "$vs_fastest"
  done
  if [ -n "$gdal_retile" ]; then
    speedup=$(awk -v g="${wall[gdal_retile.py,$grid]}" -v p="${wall[pelmora,$grid]}" 'BEGIN { printf "%.1f", g / p }')
    verdict="ok"
    if awk -v s="$speedup" -v m="$min_speedup" 'BEGIN { exit !(s < m) }'; then verdict="TOO SLOW"; failed=1; fi
    echo "  ${grid}x$grid: pelmora is ${speedup}x faster than gdal_retile.py (at least $min_speedup): $verdict"
  fi
done
if [ -z "$gdal_retile" ]; then
  echo "peers.sh: gdal_retile.py is not installed (bench/peers.sh --install)" >&2
  exit 2
fi
exit "$failed"

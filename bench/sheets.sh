#!/usr/bin/env bash
# Throughput of a batch of sheets: 20 generated 8000 × 6000 map-like 24-bit
# BMPs cut at 4 × 4, quality 50, into one output folder,
#   - one process at a time (a shell loop; each pelmora-tile on every core),
#   - one pelmora-tile call given all 20 sheets,
#   - GNU parallel -j 2, one worker thread per process,
# against the encode floor measured in the same run: `cjpeg -quality 50` of one
# sheet's pixels from a PPM on one core, times 20. Prints sheets per second
# and each time over the floor. No limit: the figures are for the README.
#
# Environment: see bench/common.sh (the sheets take about 3 GB in BENCH_DIR).
set -euo pipefail
source "$(dirname "$0")/common.sh"

count=20
width=8000
height=6000
grid=4

bench_build pelmora-tile
tile="$(bench_executable pelmora-tile)"
bench_require cjpeg taskset awk parallel

bench_map "$width" "$height"
sheets="$work/sheets"
mkdir -p "$sheets"
for n in $(seq "$count"); do
  [ -s "$sheets/sheet$n.bmp" ] || cp "$bmp" "$sheets/sheet$n.bmp"
done
cat "$sheets"/sheet*.bmp >/dev/null
list=()
for n in $(seq "$count"); do list+=("$sheets/sheet$n.bmp"); done

options=(-u "$height,$width" -l 0,0 -r "$grid" -c "$grid" -q 50 --quiet)
out="$work/sheet-tiles"
warn_if_busy

before_each=""
best_of taskset -c 0 cjpeg -quality 50 -outfile "$work/floor.jpg" "$ppm"
read -r one_floor _ <"$measured"
rm -f "$work/floor.jpg"
floor=$(awk -v f="$one_floor" -v n="$count" 'BEGIN { printf "%.4f", f * n }')

before_each="rm -rf '$out'; mkdir -p '$out'"
report() {
  local mode="$1" seconds cpu
  read -r seconds cpu _ <"$measured"
  # Every sheet's set must be there, or the figure means nothing.
  for n in $(seq "$count"); do
    [ -s "$out/sheet$n.AR2" ] || { echo "$script: $mode: no index for sheet$n" >&2; exit 2; }
  done
  awk -v m="$mode" -v s="$seconds" -v c="$cpu" -v f="$floor" -v n="$count" \
    'BEGIN { printf "%-34s %8.3f %8.3f %10.2f %11.2f\n", m, s, c, n / s, s / f }'
}

printf '%-34s %8s %8s %10s %11s\n' mode wall_s cpu_s sheets/s time/floor
printf '%-34s %8.3f %8.3f %10.2f %11.2f\n' "floor (cjpeg, 1 core) x $count" "$floor" "$floor" \
  "$(awk -v f="$floor" -v n="$count" 'BEGIN { print n / f }')" 1

loop="$work/sheets-one-at-a-time.sh"
cat >"$loop" <<LOOP
#!/usr/bin/env bash
set -e
for sheet in "\$@"; do ${tile@Q} ${options[*]@Q} -o ${out@Q} "\$sheet"; done
LOOP
chmod +x "$loop"
best_of "$loop" "${list[@]}"
report "one process at a time"

best_of "$tile" "${options[@]}" -o "$out" "${list[@]}"
report "one call, $count sheets"

best_of parallel -j 2 "$tile" "${options[@]}" -j 1 -o "$out" {} ::: "${list[@]}"
report "parallel -j 2 (-j 1 each)"

rm -rf "$out"
warn_if_busy

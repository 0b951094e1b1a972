#!/usr/bin/env bash
# The sheet's frame in generated scans: how well it is found, and what finding
# it and straightening the frame's inside cost.
#
# Scans (bench/frame_scans_bench make, tests/support/frame_scans.h): a sheet
# with map content, roads along the frame, a margin of 0 to 10 % with ticks,
# labels, a title and a legend, on some a decorative border, on some JPEG
# damage, on r* the scanner's blur (sigma up to 2 pixels), paper yellowed
# unevenly and up to 30 % of the frame line worn away; skewed by -1° to +1°,
# scaled 0.995 to 1.005 across and along (the two within 0.5 % of each
# other); from 2 to 100 MP. Each is a 24-bit BMP with
# its true corners beside it (NAME.bmp.truth); the 20 MP one is also saved as
# an LZW TIFF (gdal_translate -co COMPRESS=LZW). They are made once and kept.
#
# 1. Accuracy, on every scan: the frame found through the module
#    (findFrame, as the batch tool finds it), the largest
#    Euclidean distance of a corner from the truth, and over a 41 × 41 grid of
#    points (across, down) of the frame the distance between the point the
#    found corners put there and the true one (pointOfFrame), largest and rms;
#    all in scan pixels. find_ms: the finder alone, best of REPEATS, 2 cores.
#    Limits: corner at most 1.0, point at most 2.0, rms at most 1.0.
# 2. Cost: best of REPEATS full runs of pelmora-tile -r 4 -c 4 -q 50 -j 2
#    --sheet 09LD351 (taskset -c 0,1) with --frame detect against the same with
#    --frame none, on the 10 MP BMP and the 20 MP LZW TIFF (a dry run first
#    checks that the frame is detected); with the true corners given
#    (--frame X1,Y1,…) too, which straightens without looking.
#    Limit: detect ÷ none at most 1.3.
# 3. The finder alone on the 100 MP scan: best of REPEATS on 2 cores.
#    Limit: 1 s. Then, for the record, straightening alone: every row of the
#    10 and 20 MP scans' true frames read on one thread.
# Exit status 1 when a limit is exceeded or a frame is not found; 2 when a
# tool is missing or a command fails.
#
# Environment: see bench/common.sh; the scans are kept in BENCH_DIR, by default
# bench/out/ (about 700 MB).
set -euo pipefail
export BENCH_DIR="${BENCH_DIR:-$(cd "$(dirname "$0")" && pwd)/out}"
source "$(dirname "$0")/common.sh"
repeats="${REPEATS:-5}"

max_corner=1.0
max_point=2.0
max_rms=1.0
max_cost_ratio=1.3
max_find_seconds=1.0
sheet=09LD351

bench_build pelmora-tile pelmora-gdal frame_scans_bench
tile="$(bench_executable pelmora-tile)"
scans="$(bench_executable frame_scans_bench)"
bench_require gdal_translate taskset awk

# NAME and the KEY=VALUE of its scan (see frame_scans_bench.cpp). a*: accuracy
# only; c10 (about 10 MP), c20 (20 MP), c100 (100 MP): the cost runs too.
specs=(
  "a01 width=1800 skew=0 across=1 along=1 margin=0.05 seed=1"
  "a02 width=1800 skew=-1 across=0.997 along=1.001 margin=0.08 border=12 seed=2"
  "a03 width=1800 skew=1 across=1.004 along=1.001 margin=0 line=2 seed=3"
  "a04 width=2400 skew=0.3 across=1.002 along=0.998 margin=0.03 jpeg=1 seed=4"
  "a05 width=2400 skew=-0.6 across=0.995 along=0.998 margin=0.10 border=16 jpeg=1 seed=5"
  "a06 width=2400 skew=0.8 across=1.005 along=1.003 margin=0.06 inset=8 line=4 seed=6"
  "a07 width=3300 skew=-0.25 across=0.999 along=1.003 margin=0.04 border=10 seed=7"
  "a08 width=3300 skew=0.5 across=1.001 along=0.996 margin=0.07 roads=0 jpeg=1 seed=8"
  "a09 width=4700 skew=-0.9 across=1.003 along=0.999 margin=0.05 border=14 jpeg=1 line=4 seed=9"
  "a10 width=4700 skew=0.15 across=0.996 along=0.995 margin=0.09 line=2 seed=10"
  "a11 width=2400 skew=-0.4 across=0.9975 along=1.0025 margin=0.06 border=12 seed=14"
  "a12 width=2400 skew=0.7 across=1.0025 along=0.9975 margin=0.06 jpeg=1 seed=15"
  "r1 width=2400 skew=0.4 margin=0.06 blur=1.0 uneven=1 gaps=0.1 seed=21"
  "r2 width=3300 skew=-0.7 across=1.003 along=0.998 margin=0.08 border=12 blur=1.5 uneven=1 gaps=0.2 jpeg=1 seed=22"
  "r3 width=2400 skew=0.9 margin=0.04 blur=0.8 gaps=0.3 line=2 seed=23"
  "r4 width=3300 skew=0.2 margin=0.10 blur=2 uneven=1 jpeg=1 line=3 seed=24"
  "c10 width=3300 skew=0.25 across=1.002 along=0.999 margin=0.05 border=12 seed=11"
  "c20 width=4700 skew=-0.3 across=0.998 along=1.002 margin=0.05 jpeg=1 seed=12"
  "c100 width=10450 skew=0.3 across=1.001 along=0.998 margin=0.05 border=20 line=4 seed=13"
)

# scan NAME KEY=VALUE... : sets $made to the scan's BMP, made unless it is
# there from the same KEY=VALUE.
scan() {
  local name=$1
  shift
  made="$work/frame_$name.bmp"
  if [ ! -s "$made" ] || [ ! -s "$made.truth" ] || [ "$(cat "$made.spec" 2>/dev/null)" != "$*" ]; then
    rm -f "$made" "$made.truth" "$made.spec" "$work/frame_${name}_lzw.tif"
    "$scans" make "$made" "$@" >/dev/null || { echo "$script: cannot make the scan $name" >&2; exit 2; }
    echo "$*" >"$made.spec"
  fi
}

lzw_of() {  # lzw_of BMP : sets $made to its LZW TIFF, made once
  made="${1%.bmp}_lzw.tif"
  if [ ! -s "$made" ]; then
    gdal_translate -q -of GTiff -co COMPRESS=LZW "$1" "$made.partial.tif"
    mv "$made.partial.tif" "$made"
  fi
}

failed=0
over() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }
size_of() { head -c 26 "$1" | od -An -t d4 -j 18 | awk '{ printf "%dx%d", $1, ($2 < 0 ? -$2 : $2) }'; }

declare -A file
names=()
for spec in "${specs[@]}"; do
  read -r name rest <<<"$spec"
  scan "$name" $rest
  file[$name]=$made
  names+=("$name")
  if [ "$name" = c20 ]; then names+=(c20_lzw); fi
done
lzw_of "${file[c20]}"
file[c20_lzw]=$made
warn_if_busy

echo "accuracy: scan pixels (corner: Euclidean, largest of 4; point: 41 x 41 grid of the frame); find_ms: best of $repeats, 2 cores"
printf '%-8s %-11s %9s %9s %9s %9s  %s\n' scan pixels corner_px point_max point_rms find_ms "scan's keys"
for name in "${names[@]}"; do
  f=${file[$name]}
  truth="${file[${name%_lzw}]}.truth"
  cat "$f" >/dev/null
  result=$(taskset -c 0,1 "$scans" find "$f" "$truth" "$repeats") || { echo "$script: failed: find $f" >&2; exit 2; }
  read -r what a b c d _ <<<"$result"
  keys=$(cat "${file[${name%_lzw}]}.spec")
  [ "$name" = c20_lzw ] && keys="the LZW TIFF of c20"
  if [ "$what" != found ]; then
    printf '%-8s %-11s %9s %9s %9s %9.1f  %s  NOT FOUND (%s)\n' "$name" "$(size_of "${file[${name%_lzw}]}")" - - - \
      "$(awk -v s="$a" 'BEGIN { print s * 1000 }')" "$keys" "${result#none * }"
    failed=1
    continue
  fi
  [ "$name" = c100 ] && find_100=$d
  verdict=""
  over "$a" "$max_corner" && verdict+=" corner>$max_corner"
  over "$b" "$max_point" && verdict+=" point>$max_point"
  over "$c" "$max_rms" && verdict+=" rms>$max_rms"
  [ -n "$verdict" ] && failed=1
  printf '%-8s %-11s %9.3f %9.3f %9.3f %9.1f  %s%s\n' "$name" "$(size_of "${file[${name%_lzw}]}")" "$a" "$b" "$c" \
    "$(awk -v s="$d" 'BEGIN { print s * 1000 }')" "$keys" "${verdict:+ MISSED:$verdict}"
done

echo
echo "cost: pelmora-tile -r 4 -c 4 -q 50 -j 2 --sheet $sheet, taskset -c 0,1, best of $repeats; --frame none, the true"
echo "corners given (straightening only), detect; frame_ms and ratio: detect against none"
printf '%-18s %8s %8s %8s %9s %9s %9s\n' raster none_s given_s detect_s frame_ms ratio detect_MB
out="$work/frame-tiles"
before_each="rm -rf '$out'; mkdir -p '$out'"
declare -A took
: >"$work/frame-notes.err"
for name in c10 c20_lzw; do
  f=${file[$name]}
  cat "$f" >/dev/null
  # The detect runs time a frame found, not the raster's edges kept.
  line=$("$tile" -n --sheet "$sheet" --frame detect "$f" 2>/dev/null | grep '^frame:' || true)
  case "$line" in
    "frame: detected "*) ;;
    *) echo "$script: $(basename "$f"): the dry run says \"${line:-no frame line}\", not a frame detected" >&2; failed=1 ;;
  esac
  given=$(awk '{ printf "%s%.3f,%.3f", (NR > 1 ? "," : ""), $1, $2 }' "${file[${name%_lzw}]}.truth")
  for mode in none given detect; do
    frame=$mode
    [ "$mode" = given ] && frame=$given
    # The runs' notes (the raster's proportions) once, below.
    if ! (best_of taskset -c 0,1 "$tile" -r 4 -c 4 -q 50 -j 2 --sheet "$sheet" --frame "$frame" -o "$out" --quiet \
      "$f") 2>"$work/frame-run.err"; then
      cat "$work/frame-run.err" >&2
      exit 2
    fi
    cat "$work/frame-run.err" >>"$work/frame-notes.err"
    read -r seconds _ peak_kb _ <"$measured"
    took[$mode]=$seconds
  done
  ratio=$(awk -v d="${took[detect]}" -v n="${took[none]}" 'BEGIN { printf "%.3f", d / n }')
  verdict=""
  over "$ratio" "$max_cost_ratio" && { verdict=" MISSED: ratio>$max_cost_ratio"; failed=1; }
  printf '%-18s %8.3f %8.3f %8.3f %9.1f %9s %9d%s\n' "$(basename "$f")" "${took[none]}" "${took[given]}" "${took[detect]}" \
    "$(awk -v d="${took[detect]}" -v n="${took[none]}" 'BEGIN { print (d - n) * 1000 }')" "$ratio" \
    $(( peak_kb / 1024 )) "$verdict"
done
rm -rf "$out"
if [ -s "$work/frame-notes.err" ]; then
  echo "the runs' notes:"
  awk '!seen[$0]++ { print "  " $0 }' "$work/frame-notes.err"
fi

echo
if [ -n "${find_100:-}" ]; then
  verdict="ok"
  over "$find_100" "$max_find_seconds" && { verdict="MISSED"; failed=1; }
  printf 'finder alone on the %s scan c100: %.3f s, best of %s on 2 cores (at most %s s): %s\n' \
    "$(size_of "${file[c100]}")" "$find_100" "$repeats" "$max_find_seconds" "$verdict"
else
  echo "finder alone on the scan c100: no frame found"
fi
for name in c10 c20; do
  "$scans" straighten "${file[$name]}" "${file[$name]}.truth" "$repeats" |
    awk -v n="$name" '{ printf "straightening alone, every row of the %s scan'"'"'s true frame on one thread: %s s\n", n, $2 }'
done
warn_if_busy
exit "$failed"

#!/usr/bin/env bash
# Bad inputs through the batch tool: damaged and truncated rasters, damaged
# indexes and absurd options. Each case must end with a message on stderr and
# the exit status the table expects (1: stopped, 2: usage error, 0 where the
# window too accepts the input; * for any of them); never a signal nor a
# sanitizer report.
# Usage: bad_input_sweep.sh PELMORA_TILE [TABLE_OUT]
set -uo pipefail
tile="$1"
table="${2:-/dev/null}"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
python3 "$here/make_bad_inputs.py" "$work/in" || exit 2
r="$work/in"
long="$(head -c 50000 /dev/zero | tr '\0' 7)"  # below the kernel's 128 KB per argument
failed=0
printf '%-9s %-34s %-4s %s\n' class case exit message >"$table"

# check CLASS NAME EXPECTED ARGS...
check() {
  local class="$1" name="$2" expected="$3"
  shift 3
  local out="$work/out/$name"
  mkdir -p "$out"
  # The index of an earlier run is read from the folder the run writes to.
  if [ "$class" = index ]; then cp -r "$r/$name.AR2" "$out/"; fi
  "$tile" --quiet -o "$out" "$@" >"$work/stdout" 2>"$work/stderr"
  local status=$?
  local message
  message="$(tr -d '\0' <"$work/stderr" | grep -v '^Try ' | head -n 1 | cut -c 1-120 | iconv -f UTF-8 -t UTF-8 -c)"
  local verdict=""
  if grep -aqE 'AddressSanitizer|LeakSanitizer|runtime error:|UndefinedBehaviorSanitizer' "$work/stderr"; then
    verdict="sanitizer report"
  elif [ "$status" -gt 2 ] || { [ "$expected" != '*' ] && [ "$status" -ne "$expected" ]; }; then
    verdict="exit $status, expected $expected"
  elif [ "$status" -ne 0 ] && [ -z "$message" ]; then
    verdict="no message"
  fi
  printf '%-9s %-34s %-4s %s\n' "$class" "$name" "$status" "${message:-(completed)}" >>"$table"
  if [ -n "$verdict" ]; then
    failed=1
    echo "FAIL $class $name: $verdict" >&2
    sed 's/^/    /' "$work/stderr" | head -n 40 >&2
  fi
}

for f in "$r"/*.bmp; do
  name="$(basename "$f" .bmp)"
  case "$name" in
    good) check raster good 0 -r 2 -c 2 "$f" ;;
    idx_*) ;;
    # Decoded through GDAL, which takes what it can of these.
    bitfields_odd_masks|bits_16_garbage|os2_header_64)
      check raster "$name" 0 "$f" ;;
    *) check raster "$name" 1 "$f" ;;
  esac
done

check index idx_folder 1 "$r/idx_folder.bmp"  # no index to take back, and in the way of the new one
check index idx_equal_corners 1 "$r/idx_equal_corners.bmp"  # taken back, then refused as no extent
for name in empty garbage four_fields words beyond_double nan infinity nul_bytes; do
  check index "idx_$name" 1 "$r/idx_$name.bmp"
done
# Read as the window reads them: corners taken back, the run completes.
for name in cr_only long_line corner_beyond_int; do
  check index "idx_$name" 0 "$r/idx_$name.bmp"
done

g="$r/good.bmp"
# A corner beyond a double stops the run, rather than the index keeping
# the corners it had.
check options corner_beyond_double 1 -u 1e999,5 -l 0,0 "$g"
check options corner_nan 2 -u nan,nan -l 0,0 "$g"  # not a number
check options corner_letters 2 -u 5OOO,12400 -l 0,0 "$g"
check options corner_beyond_int 0 -u 3e9,5 -l 0,0 "$g"
check options corner_huge_extent 0 -u 1e300,1e300 -l -1e300,-1e300 "$g"
check options corner_empty 2 -u "" "$g"
check options corner_overlong 1 -u "$long,$long" -l 0,0 "$g"
check options rows_beyond_double 2 -r 1e999 "$g"
check options rows_nan 2 -r nan "$g"
check options rows_huge 1 -r 99999999 -c 99999999 "$g"
check options rows_negative 2 -r -5 "$g"
check options rows_fraction 2 -r 2.5 "$g"
check options rows_hex_max 1 -r '&HFFFFFFFF' "$g"
check options rows_overlong 2 -r "$long" "$g"
check options quality_nan 2 -q nan -r 1 -c 1 "$g"
check options quality_beyond_double 0 -q 1e400 -r 1 -c 1 "$g"  # held at 100
check options quality_huge 0 -q 1e300 -r 1 -c 1 "$g"
check options angle_huge 1 -a 1e308 "$g"  # its radians overflow
check options angle_beyond_double 1 -a 1e999 "$g"
check options angle_nan 2 -a nan -r 1 -c 1 "$g"
check options jobs_huge 2 -j 99999999999 "$g"
check options jobs_nan 2 -j nan "$g"
check options overview_0 2 --overview 0 "$g"
check options overview_huge 2 --overview 1e10 "$g"
check options out_empty 2 -o "" "$g"
check options out_is_a_file 1 -o "$g" "$g"
check options raster_empty 2 ""
check options raster_missing 1 "$r/none.bmp"
check options raster_is_a_folder 2 "$r"
check options raster_overlong 1 "$r/$long.bmp"
check options unknown_option 2 --bogus "$g"
check options two_rasters_one_missing 1 "$g" "$r/none.bmp"

[ "$failed" -eq 0 ] && echo "bad_input_sweep: every case ended as expected"
exit "$failed"

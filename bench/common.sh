# Sourced by the benchmark scripts: where things are, the build, the generated
# rasters, and best-of-N measurement of a command.
#
# Environment: BUILD (default build/), BENCH_DIR for the generated files
# (default /tmp/pelmora-bench), REPEATS (default 3).

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD:-$here/build}"
work="${BENCH_DIR:-/tmp/pelmora-bench}"
repeats="${REPEATS:-3}"
script="$(basename "$0")"
mkdir -p "$work"

# bench_build TARGET... : installs what is missing and builds the targets.
bench_build() {
  "$here/scripts/install-deps"
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$build" --target measure make_map "$@" -j 2 >/dev/null
  measure="$(bench_executable measure)"
  make_map="$(bench_executable make_map)"
}

bench_executable() { find "$build" -name "$1" -type f -perm -u+x | head -n 1; }

# bench_require TOOL... : exits 2 when one is missing.
bench_require() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$script: $tool is missing" >&2; exit 2; }
  done
}

# bench_map WIDTH HEIGHT : sets $bmp and $ppm to a map-like raster of that size
# (made once, then reused) and warms the page cache so every side reads memory.
bench_map() {
  bmp="$work/map_$1x$2.bmp"
  ppm="$work/map_$1x$2.ppm"
  [ -s "$bmp" ] && [ -s "$ppm" ] || "$make_map" "$1" "$2" "$bmp" "$ppm"
  cat "$bmp" "$ppm" >/dev/null
}

# best_of COMMAND... : runs it $repeats times (after eval "$before_each" when
# set) and leaves "wall_seconds cpu_seconds peak_kilobytes anon_kilobytes" in
# $measured: the best wall time with that run's CPU time, and the largest
# peaks (resident, and private of the command's own process) of the runs.
# The private memory is sampled in one more run of its own, as the sampling
# takes CPU time from a command that uses every core.
measured="$work/measured.$script"
best_of() {
  local best="" best_cpu="" peak=0 seconds cpu rss anon
  for _ in $(seq "$repeats"); do
    [ -n "${before_each:-}" ] && eval "$before_each"
    if ! "$measure" "$work/once.$script" "$@" >/dev/null; then
      echo "$script: failed: $*" >&2
      exit 2
    fi
    read -r seconds cpu rss anon <"$work/once.$script"
    if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN { exit !(a < b) }'; then
      best=$seconds best_cpu=$cpu
    fi
    [ "$rss" -gt "$peak" ] && peak=$rss
  done
  [ -n "${before_each:-}" ] && eval "$before_each"
  "$measure" --private "$work/once.$script" "$@" >/dev/null || { echo "$script: failed: $*" >&2; exit 2; }
  read -r seconds cpu rss anon <"$work/once.$script"
  [ "$rss" -gt "$peak" ] && peak=$rss
  echo "$best $best_cpu $peak $anon" >"$measured"
}

# Debian's ImageMagick policy refuses big rasters and keeps pixels on disk
# beyond 256 MiB: ImageMagick, and libvips reading a BMP through it, get a
# private policy with higher limits instead, so that neither is handicapped.
use_private_magick_policy() {
  local policy="$work/magick-policy"
  mkdir -p "$policy"
  cat >"$policy/policy.xml" <<'XML'
<policymap>
  <policy domain="resource" name="memory" value="16GiB"/>
  <policy domain="resource" name="map" value="16GiB"/>
  <policy domain="resource" name="width" value="128KP"/>
  <policy domain="resource" name="height" value="128KP"/>
  <policy domain="resource" name="area" value="16GP"/>
  <policy domain="resource" name="disk" value="16GiB"/>
</policymap>
XML
  export MAGICK_CONFIGURE_PATH="$policy"
}

# Other work on the machine takes cores from a two-worker run more than from
# the one-core floor: say so rather than print figures that mislead.
warn_if_busy() {
  local load
  read -r load _ </proc/loadavg
  if awk -v l="$load" 'BEGIN { exit !(l > 0.7) }'; then
    echo "$script: load average $load: other work shares the cores, the figures read high" >&2
  fi
}

#!/usr/bin/env bash
# Interoperability with GIS software: cuts the sample map with world files, at
# angle 0 and at an oblique angle, and checks that `gdalinfo` of every image
# (the image read with its NAME.jgw) reports the corners its .AR2 record gives:
# the full-precision geotransform to 1e-9 relative, and the corner coordinates
# gdalinfo prints (3 decimals) to 0.001.
#
#   bench/interop.sh [--install]   --install: apt-get gdal-bin first
#
# Environment: BUILD (default build/). Exit status 1 when a corner is off,
# 2 when gdalinfo or python3 is missing.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD:-$here/build}"

if [ "${1:-}" = "--install" ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq -o DPkg::Lock::Timeout=600 >/dev/null
  $sudo apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 gdal-bin >/dev/null
  shift
fi
[ $# -eq 0 ] || { echo "usage: bench/interop.sh [--install]" >&2; exit 2; }
for tool in gdalinfo python3; do
  command -v "$tool" >/dev/null || { echo "interop.sh: $tool is missing (bench/interop.sh --install)" >&2; exit 2; }
done

"$here/scripts/install-deps"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target pelmora-tile -j 2 >/dev/null
tile="$(find "$build" -name pelmora-tile -type f -perm -u+x | head -n 1)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

failed=0
for angle in 0 37.5; do
  out="$work/angle_$angle"
  "$tile" "$here/samples/sample_map.bmp" -u 5400120,-250000 -l 5398000,-251700 -r 3 -c 4 \
    -a "$angle" --world-files --quiet -o "$out"
  python3 - "$out/sample_map.AR2" "$angle" <<'PY' || failed=1
import json, os, subprocess, sys

index, angle = sys.argv[1], sys.argv[2]
folder = os.path.dirname(index)
checked, bad = 0, []
with open(index, newline="") as f:
    lines = f.read().split("\r\n")
for line in filter(None, lines):
    name, llx, lly, urx, ury = line.split(",")
    llx, lly, urx, ury = map(float, (llx, lly, urx, ury))
    info = json.loads(subprocess.run(["gdalinfo", "-json", os.path.join(folder, name)],
                                     check=True, capture_output=True, text=True).stdout)
    if not any(f.endswith(".jgw") for f in info["files"]):
        bad.append(f"{name}: gdalinfo did not read a world file")
        continue
    gt = info["geoTransform"]
    w, h = info["size"]
    edge = lambda col, row: (gt[0] + col * gt[1] + row * gt[2], gt[3] + col * gt[4] + row * gt[5])
    for corner, (east, north), printed in (
        ("lower-left", (lly, llx), info["cornerCoordinates"]["lowerLeft"]),
        ("upper-right", (ury, urx), info["cornerCoordinates"]["upperRight"]),
    ):
        got = edge(0, h) if corner == "lower-left" else edge(w, 0)
        for axis, g, want, p in zip(("east", "north"), got, (east, north), printed):
            if abs(g - want) > 1e-9 * max(abs(want), 1.0) or abs(p - want) > 1e-3:
                bad.append(f"{name} {corner} {axis}: index {want!r}, geotransform {g!r}, printed {p!r}")
    checked += 1
for b in bad:
    print("  MISMATCH", b)
print(f"angle {angle}: {checked} images, {len(bad)} corner mismatches")
sys.exit(1 if bad or checked == 0 else 0)
PY
done
exit "$failed"

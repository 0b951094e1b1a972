#!/usr/bin/env bash
# Two neighbouring sheets of one colour each, cut with world files and warped
# by gdalwarp into one mosaic, the western one last: each side of the seam
# shows its own sheet's colour, not the white strip of the western tiles past
# their sheet's edge, which their masks mark as no data.
# Usage: seam_mosaic_check.sh PELMORA_TILE
set -uo pipefail
tile="$1"
command -v gdalwarp >/dev/null || { echo "seam_mosaic_check: no gdalwarp (gdal-bin), skipped"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# NAME R G B Y0: a 2000 × 2000 BMP of that colour, cut as the sheet from north
# 0 to 1000 and from east Y0 to Y0 + 1000.
sheet() {
  python3 -c '
import struct, sys
r, g, b = map(int, sys.argv[2:5]); row = bytes((b, g, r)) * 2000; size = len(row) * 2000
info = struct.pack("<IiiHHIIiiII", 40, 2000, 2000, 1, 24, 0, size, 2835, 2835, 0, 0)
open(sys.argv[1], "wb").write(b"BM" + struct.pack("<IHHI", 54 + size, 0, 0, 54) + info + row * 2000)
' "$work/$1.bmp" "$2" "$3" "$4" &&
    "$tile" --quiet -r 2 -c 2 --world-files -o "$work" -l "0,$5" -u "1000,$(($5 + 1000))" "$work/$1.bmp"
}
sheet west 220 30 30 0 && sheet east 30 30 220 1000 || { echo "cannot cut the sheets"; exit 1; }
gdalwarp -q -te 0 0 2000 1000 -tr 0.5 0.5 "$work"/east_[1-4].JPG "$work"/west_[1-4].JPG "$work/mosaic.tif" ||
  { echo "gdalwarp failed"; exit 1; }

failed=0
for east in 997.75 999.25 999.75 1000.25 1000.75 1001.25 1001.75 1002.75; do
  got="$(gdallocationinfo -valonly -geoloc "$work/mosaic.tif" "$east" 250 | tr '\n' ' ')"
  # Red west of the seam, blue east of it, within JPEG's error near an edge.
  if ! awk -v v="$got" -v e="$east" 'BEGIN { split(v, c, " "); d = e < 1000 ? c[1] - c[3] : c[3] - c[1];
                                            exit !(d > 120 && c[2] < 80) }'; then
    echo "FAIL at east $east: ${got:-nothing}, not the colour of its own sheet"
    failed=1
  fi
done
[ "$failed" -eq 0 ] && echo "seam_mosaic_check: each sheet's own colour on both sides of the seam"
exit "$failed"

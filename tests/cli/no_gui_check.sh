#!/usr/bin/env bash
# The batch tool starts without Qt Gui and the graphics libraries beneath it:
# loading them would take longer than a small run takes to work.
#   no_gui_check.sh PELMORA_TILE
set -uo pipefail
out="$(ldd "$1" 2>&1)" || { echo "no gui check: ldd failed" >&2; echo "$out" >&2; exit 1; }
fail() { echo "no gui check: $*" >&2; echo "$out" >&2; exit 1; }
grep -q 'libQt6Core' <<<"$out" || fail "ldd does not list Qt Core: the check would see nothing"
for library in libQt6Gui libEGL libGL libfontconfig libX11 libxcb; do
  ! grep -q "$library" <<<"$out" || fail "$1 loads $library"
done
echo "no gui check: Qt Core only"

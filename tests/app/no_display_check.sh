#!/usr/bin/env bash
# The window started with no display to open: exit status 1 and a short word
# naming xvfb-run and pelmora-tile, not Qt's abort and its plugin page.
#   no_display_check.sh PELMORA
set -uo pipefail
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
out="$(cd / && timeout 30 "$1" 2>&1)"
status=$?
fail() { echo "no display check: $*" >&2; echo "$out" >&2; exit 1; }
[ "$status" -eq 1 ] || fail "exit status $status, not 1"
for word in xvfb-run pelmora-tile 画面; do
  grep -qF -- "$word" <<<"$out" || fail "the message does not say $word"
done
! grep -qi "reinstall" <<<"$out" || fail "Qt's plugin page was printed"
[ "$(wc -l <<<"$out")" -le 8 ] || fail "the message is not short"
echo "no display check: exit 1 with the word expected"

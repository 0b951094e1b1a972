#!/usr/bin/env bash
# The window's --version and --help answer with no display to open, and an
# unknown option is a usage error, before any of Qt Gui starts.
#   command_line_check.sh PELMORA VERSION
set -uo pipefail
program="$1" version="$2"
fail() { echo "command line check: $*" >&2; exit 1; }
run() { (cd / && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$program" "$@"); }

out="$(run --version 2>&1)"; status=$?
[ "$status" -eq 0 ] || fail "--version: exit status $status: $out"
[ "$out" = "pelmora $version" ] || fail "--version says '$out', not 'pelmora $version'"

out="$(run --help 2>&1)"; status=$?
[ "$status" -eq 0 ] || fail "--help: exit status $status: $out"
for word in "Usage: pelmora" pelmora-tile --version; do
  grep -qF -- "$word" <<<"$out" || fail "--help does not say $word: $out"
done

for argument in --no-such-option map.bmp; do
  err="$(run "$argument" 2>&1 >/dev/null)"; status=$?
  [ "$status" -eq 2 ] || fail "$argument: exit status $status, not 2"
  grep -qF -- "pelmora --help" <<<"$err" || fail "$argument: no usage error on stderr: $err"
done
echo "command line check: --version and --help without a display, usage errors exit 2"

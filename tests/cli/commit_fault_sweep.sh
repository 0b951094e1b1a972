#!/usr/bin/env bash
# Stops a small run at each of its renames, removals, flushes and writes in
# turn — killed there, or that call failing — then makes the next start a dry
# run and checks the folder right after it: it must hold the complete earlier
# set or the complete new set, sidecars included, and no journal. A run that
# exits 0 must have left the new set. Before that, a traced run must flush
# enough, and flush the folder before it removes the journal. Faults come from strace's injection, so
# the sweep needs root (or ptrace rights) and strace; without them it is
# skipped (exit 77).
# Usage: commit_fault_sweep.sh PELMORA_TILE [TABLE_OUT]
set -uo pipefail
tile="$1"
table="${2:-/dev/null}"
command -v strace >/dev/null || { echo "commit_fault_sweep: no strace, skipped"; exit 77; }
strace -f -qq -o /dev/null true 2>/dev/null || { echo "commit_fault_sweep: ptrace not allowed, skipped"; exit 77; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 - "$work/sheet.bmp" <<'PY'
import struct, sys
w, h = 64, 48
row = (3 * w + 3) // 4 * 4
pixels = bytearray()
for y in range(h):
    line = bytearray()
    for x in range(w):
        line += bytes(((x * 4) & 255, (y * 5) & 255, ((x + y) * 3) & 255))
    pixels += line + bytes(row - 3 * w)
head = b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
open(sys.argv[1], "wb").write(head + info + pixels)
PY
raster="$work/sheet.bmp"
corners=(-u 100,300 -l 0,0)
earlier_run=(--quiet -j 1 "${corners[@]}" -r 3 -c 2 --world-files)
new_run=(--quiet -j 1 "${corners[@]}" -r 2 -c 2)

# The visible files of a folder with their hashes: the set a user sees.
set_of() { (cd "$1" && find . -maxdepth 1 -type f ! -name '.*' -printf '%f\n' | LC_ALL=C sort | xargs -r sha256sum); }

mkdir "$work/earlier"
"$tile" "${earlier_run[@]}" -o "$work/earlier" "$raster" || { echo "the earlier run failed"; exit 1; }
earlier_set="$(set_of "$work/earlier")"
cp -a "$work/earlier" "$work/new"
"$tile" "${new_run[@]}" -o "$work/new" "$raster" || { echo "the new run failed"; exit 1; }
new_set="$(set_of "$work/new")"
[ "$earlier_set" != "$new_set" ] || { echo "the two sets do not differ"; exit 1; }

# How often the run makes each kind of call, counted over all its threads.
cp -a "$work/earlier" "$work/count"
strace -f -qq -c -o "$work/counts" -e trace=rename,renameat,renameat2,unlink,unlinkat,fsync,fdatasync,write,pwrite64 \
  "$tile" "${new_run[@]}" -o "$work/count" "$raster" || { echo "the counted run failed"; exit 1; }
count() { awk -v names="$1" 'BEGIN { n = split(names, list, ","); for (i = 1; i <= n; i++) want[list[i]] = 1 }
                             $NF in want { total += $4 } END { print total + 0 }' "$work/counts"; }

failed=0
# Every file the commit puts in place reaches the disk before the journal,
# and the journal and the folder after it: a skipped flush shows here.
files="$(printf '%s\n' "$new_set" | wc -l)"
flushes="$(count fsync,fdatasync)"
if [ "$flushes" -lt $((files + 3)) ]; then
  echo "FAIL only $flushes flushes for $files files, their journal and the folder"
  failed=1
fi

# The journal goes only once the folder's last flush is done: removed before
# it, a stop could leave renames the disk has not kept and no journal to
# carry them out again. Checked in the order of a traced run's calls.
cp -a "$work/earlier" "$work/order"
strace -f -qq -y -o "$work/trace" -e trace=fsync,fdatasync,unlink,unlinkat \
  "$tile" "${new_run[@]}" -o "$work/order" "$raster" || { echo "the traced run failed"; exit 1; }
last_folder_flush="$(grep -nE '^[0-9]+ +f(data)?sync\(' "$work/trace" | grep -F "<$work/order>" | tail -n 1 | cut -d: -f1)"
journal_removal="$(grep -nE '^[0-9]+ +unlink(at)?\(.*\.pelmora-commit"' "$work/trace" | tail -n 1 | cut -d: -f1)"
if [ -z "$last_folder_flush" ] || [ -z "$journal_removal" ]; then
  echo "FAIL the traced run shows no flush of the folder (${last_folder_flush:-none}) or no removal of its journal (${journal_removal:-none})"
  failed=1
elif [ "$last_folder_flush" -gt "$journal_removal" ]; then
  echo "FAIL the journal is removed (call $journal_removal) before the folder's last flush (call $last_folder_flush)"
  failed=1
fi

declare -A fault_of=([rename]=EIO [unlink]=EIO [fsync]=EIO [write]=ENOSPC)
declare -A calls_of=([rename]=rename,renameat,renameat2 [unlink]=unlink,unlinkat [fsync]=fsync,fdatasync [write]=write,pwrite64)
printf '%-7s %-4s %-8s %-5s %s\n' call k fault exit 'set after the next start' >"$table"
cases=0 earlier_count=0 new_count=0
for kind in rename unlink fsync write; do
  calls="${calls_of[$kind]}"
  total="$(count "$calls")"
  for ((k = 1; k <= total; k++)); do
    for fault in SIGKILL "${fault_of[$kind]}"; do
      folder="$work/try"
      rm -rf "$folder"
      cp -a "$work/earlier" "$folder"
      if [ "$fault" = SIGKILL ]; then action="signal=SIGKILL"; else action="error=$fault"; fi
      # In a shell of its own, whose report of the kill goes to the file.
      bash -c '"$@"; exit $?' _ strace -f -qq -o /dev/null -e trace="$calls" \
        -e inject="$calls:$action:when=$k" "$tile" "${new_run[@]}" -o "$folder" "$raster" \
        >/dev/null 2>"$work/stderr"
      status=$?
      verdict=""
      if [ "$status" -eq 0 ] && [ "$(set_of "$folder")" != "$new_set" ]; then
        verdict="exit 0 without the new set"
      fi
      "$tile" -n -o "$folder" "$raster" >/dev/null 2>>"$work/stderr"
      after="$(set_of "$folder")"
      if [ "$after" = "$earlier_set" ]; then
        which=earlier; earlier_count=$((earlier_count + 1))
      elif [ "$after" = "$new_set" ]; then
        which=new; new_count=$((new_count + 1))
      else
        which=mixed; verdict="${verdict:+$verdict; }a mixed set"
      fi
      if compgen -G "$folder/.*.pelmora-commit" >/dev/null; then verdict="${verdict:+$verdict; }a journal left"; fi
      cases=$((cases + 1))
      printf '%-7s %-4s %-8s %-5s %s\n' "$kind" "$k" "$fault" "$status" "$which" >>"$table"
      if [ -n "$verdict" ]; then
        failed=1
        echo "FAIL $kind #$k $fault (exit $status): $verdict"
        sed 's/^/    /' "$work/stderr" | head -n 5
        diff <(printf '%s\n' "$new_set") <(printf '%s\n' "$after") | sed 's/^/    /' | head -n 20
      fi
    done
  done
done
echo "commit_fault_sweep: $cases stops; the next start found the earlier set $earlier_count times, the new set $new_count times"
exit "$failed"

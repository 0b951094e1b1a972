#!/usr/bin/env bash
# Runs the README's Slurm lines (the ones under "# a Slurm cluster") on a
# one-node Slurm started on this machine, then checks every sheet's set.
#
# Needs root: installs Debian's slurm-wlm and munge when missing, and runs
# munged (as the munge user), slurmctld and slurmd with every file of theirs
# (key, socket, configuration, state, spool, logs) in a scratch folder, on
# ports of their own. Everything it started is stopped and the scratch folder
# removed, also when a step fails. The last line is the verdict; exit status
# 0 when it passed, 1 when a check failed, 2 when it could not run.
#
# The README's lines are read from README.md and run as written, with only
# their /shared/ folder moved into the scratch folder.
#
# Environment: see bench/common.sh (BUILD); SHEETS (default 4) sheets of
# 800 × 600 are generated.
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [ "$(id -u)" -ne 0 ]; then
  echo "$script: needs root (installs slurm-wlm and munge, runs the daemons)" >&2
  exit 2
fi
count="${SHEETS:-4}"

scratch=""
pids=()
job=""
verdict="FAIL: stopped before the end"
status=1

fail() {
  verdict="FAIL: $*"
  status=1
  exit 1
}

show_log() {
  [ -s "$1" ] || return 0
  echo "--- last lines of $(basename "$1")" >&2
  tail -n 12 "$1" >&2
}

# Stops, newest first, the daemons this script started (by their own ids),
# after cancelling the job so that no job step outlives its slurmd.
cleanup() {
  local code=$? pid daemon
  set +e
  trap - EXIT INT TERM ERR
  if [ -n "$job" ]; then
    scancel "$job" 2>/dev/null || true
  fi
  if [ "$status" -ne 0 ] && [ -n "$scratch" ]; then
    # A daemon that stops before opening its log file says why on stderr.
    show_log "$scratch/munged.out"
    for daemon in slurmctld slurmd; do
      if [ -s "$scratch/$daemon.log" ]; then show_log "$scratch/$daemon.log"; else show_log "$scratch/$daemon.out"; fi
    done
  fi
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    kill "$pid" 2>/dev/null || continue
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  [ -n "$scratch" ] && rm -rf "$scratch"
  [ "$code" -ne 0 ] && [ "$status" -eq 0 ] && status=$code verdict="FAIL: exit status $code"
  echo "$script: $verdict"
  exit "$status"
}
trap cleanup EXIT
trap 'verdict="FAIL: line $LINENO: $BASH_COMMAND"' ERR
trap 'fail "interrupted"' INT TERM

# wait_for SECONDS WHAT COMMAND... : runs COMMAND every half second until it
# succeeds; fails naming WHAT after SECONDS.
wait_for() {
  local seconds=$1 what=$2
  shift 2
  for _ in $(seq $((seconds * 2))); do
    "$@" && return 0
    sleep 0.5
  done
  fail "$what not within $seconds s"
}

# A high port that nothing listens on and that no earlier call handed out.
taken_ports=""
free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 40000))
    case " $taken_ports " in *" $port "*) continue ;; esac
    ss -Htan "( sport = :$port )" | grep -q . && continue
    taken_ports="$taken_ports $port"
    echo "$port"
    return
  done
}

"$here/scripts/install-deps" slurm-wlm munge
bench_require munged munge unmunge slurmctld slurmd sbatch squeue sinfo scontrol scancel setpriv ss
bench_build pelmora-tile
tile="$(bench_executable pelmora-tile)"
[ -n "$tile" ] || fail "pelmora-tile was not built"

# The README's lines, from its own text.
lines="$(awk '/^# a Slurm cluster/ { on = 1; next } on && /^```/ { exit } on' "$here/README.md")"
grep -q '^sbatch --array=' <<<"$lines" || fail "no sbatch line under '# a Slurm cluster' in README.md"
grep -q '/shared/' <<<"$lines" || fail "the README's Slurm lines no longer name /shared/"

scratch="$(mktemp -d /tmp/pelmora-slurm.XXXXXX)"
chmod 755 "$scratch" # the munge user reaches its own folder through it
host="$(hostname -s)"

# munged, as the munge user, with its key, socket, pid and seed file here.
m="$scratch/munge"
mkdir -m 755 "$m" # munged wants its socket's folder reachable by all
dd if=/dev/urandom of="$m/munge.key" bs=1024 count=1 status=none
chown -R munge:munge "$m"
chmod 400 "$m/munge.key"
socket="$m/munge.socket"
setpriv --reuid=munge --regid=munge --init-groups \
  munged --foreground --key-file="$m/munge.key" --socket="$socket" \
  --pid-file="$m/munged.pid" --seed-file="$m/munged.seed" --log-file="$m/munged.log" \
  >>"$scratch/munged.out" 2>&1 & # in the foreground it logs to stderr
pids+=($!)
munge_works() { munge -n -S "$socket" 2>/dev/null | unmunge -S "$socket" >/dev/null 2>&1; }
wait_for 20 "munged answering on $socket" munge_works

# slurmctld and slurmd on one node.
conf="$scratch/slurm.conf"
mkdir "$scratch/state" "$scratch/spool"
memory=$(awk '/^MemTotal:/ { print int($2 / 1024 / 2) }' /proc/meminfo)
cat >"$conf" <<CONF
ClusterName=pelmora-bench
SlurmctldHost=$host
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$socket
StateSaveLocation=$scratch/state
SlurmdSpoolDir=$scratch/spool
SlurmctldPidFile=$scratch/slurmctld.pid
SlurmdPidFile=$scratch/slurmd.pid
SlurmctldLogFile=$scratch/slurmctld.log
SlurmdLogFile=$scratch/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
MpiDefault=none
ReturnToService=2
MinJobAge=3600
NodeName=$host CPUs=$(nproc) RealMemory=$memory State=UNKNOWN
PartitionName=bench Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF="$conf"

slurmctld -D -f "$conf" >>"$scratch/slurmctld.out" 2>&1 &
pids+=($!)
slurmd -D -f "$conf" >>"$scratch/slurmd.out" 2>&1 &
pids+=($!)
node_idle() { [ "$(sinfo -h -n "$host" -o %t 2>/dev/null)" = idle ]; }
wait_for 60 "node $host idle in sinfo" node_idle

# The sheets, named by sheet code, where the README's lines look for them.
sheets="$scratch/shared/sheets"
mkdir -p "$sheets" "$scratch/submit"
for n in $(seq "$count"); do
  "$make_map" 800 600 "$sheets/$(printf '09LD%03d' $((350 + n))).bmp"
done

# The README's lines, from the folder the job is submitted from, with the
# built pelmora-tile first on PATH (sbatch passes the environment on).
moved="${lines//\/shared\//$scratch/shared/}"
submitted="$(cd "$scratch/submit" && PATH="$(dirname "$tile"):$PATH" bash -euo pipefail -c "$moved")" ||
  fail "the README's lines failed: $submitted"
job="$(sed -n 's/^Submitted batch job \([0-9]*\)$/\1/p' <<<"$submitted")"
[ -n "$job" ] || fail "no job id in sbatch's answer: $submitted"
[ "$(wc -l <"$scratch/submit/sheets.txt")" -eq "$count" ] ||
  fail "sheets.txt lists $(wc -l <"$scratch/submit/sheets.txt") sheets, not $count"

array_done() {
  local queued
  queued="$(squeue -h -j "$job" -o %i 2>/dev/null)" && [ -z "$queued" ]
}
wait_for 300 "array job $job finished" array_done

# Every array task: its own task id, completed, exit code 0.
tasks="$(scontrol -o show job "$job")"
[ "$(grep -c 'ArrayTaskId=' <<<"$tasks")" -eq "$count" ] ||
  fail "job $job has $(grep -c 'ArrayTaskId=' <<<"$tasks") array tasks, not $count"
for n in $(seq "$count"); do
  task="$(grep " ArrayTaskId=$n " <<<"$tasks")" || fail "no array task $n"
  if ! grep -q ' JobState=COMPLETED ' <<<"$task" || ! grep -q ' ExitCode=0:0 ' <<<"$task"; then
    show_log "$scratch/submit/slurm-${job}_$n.out"
    fail "array task $n: $(grep -o 'JobState=[^ ]*' <<<"$task") $(grep -o ' ExitCode=[^ ]*' <<<"$task")"
  fi
done

# Every sheet: its index, and each image it lists, a JPEG.
images=0
while read -r sheet; do
  index="${sheet%.bmp}.AR2"
  [ -s "$index" ] || fail "no index for $(basename "$sheet")"
  listed=0
  while IFS=, read -r image _; do
    image="${image%$'\r'}"
    [ -n "$image" ] || continue
    [ "$(head -c 3 "$sheets/$image" 2>/dev/null | od -An -tx1 | tr -d ' ')" = ffd8ff ] ||
      fail "$(basename "$index") lists $image, which is missing or not a JPEG"
    listed=$((listed + 1))
  done <"$index"
  [ "$listed" -ge 2 ] || fail "$(basename "$index") lists $listed images"
  images=$((images + listed))
done <"$scratch/submit/sheets.txt"

status=0
verdict="PASS: the README's sbatch line ran $count array tasks on a one-node Slurm, each exited 0, and all $count sets ($images images) are whole"

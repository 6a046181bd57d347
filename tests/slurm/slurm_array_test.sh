#!/usr/bin/env bash
# Usage: slurm_array_test.sh BATCH_EXE
#
# Brings up a one-node Slurm cluster in a private temporary folder, runs a
# small analysis 2 through scripts/slurm/landuse-batch.sbatch as a two-task
# job array, merges the shards and checks that the result is byte for byte
# the same experiment run here without shards.
#
# Runs as root: installs Debian's Slurm and munge packages when missing and
# starts munged (unless one already answers), slurmctld and slurmd. On exit
# it stops only the daemons it started, by the PIDs in their pid files, and
# removes its folder. No systemd or cgroups needed.
set -euo pipefail

say() { printf 'slurm test: %s\n' "$*"; }
fail() { printf 'slurm test: FAILED: %s\n' "$*" >&2; exit 1; }

[ $# -eq 1 ] || { echo "usage: $0 BATCH_EXE" >&2; exit 2; }
batch=$(realpath -e "$1") || fail "no executable at $1"
[ -x "$batch" ] || fail "$batch is not executable"
template=$(realpath -e "$(dirname "$0")/../../scripts/slurm/landuse-batch.sbatch")
[ "$(id -u)" -eq 0 ] || fail "must run as root (installs packages, runs slurmd as root)"
# Run inside a Slurm job, the tools would reach that cluster and the local
# run below would take a shard of its own.
unset "${!SLURM_@}"

# A small analysis 2: noise 0..3, 30 steps each, so 4 runs and 2 per shard.
experiment=(analysis2 --seed 7 --set E_toSteps2=30 --set E_valTo2=3)
runs=4

tmp=$(mktemp -d /tmp/landuse-slurm-test.XXXXXX)
started_munged=false
started_slurmctld=false
started_slurmd=false
munged_pidfile=/run/munge/munged.pid

# Whether PID runs; a zombie waiting for its parent to reap it has ended.
alive() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

# Stops the daemon whose PID is in PIDFILE, if it is still the named program.
# A daemon forks before it writes the file, so give the file a moment.
stop_daemon() {
  local name=$1 pidfile=$2 pid _
  for _ in $(seq 50); do [ -s "$pidfile" ] && break; sleep 0.1; done
  pid=$(cat "$pidfile" 2>/dev/null) || { say "no pid file for $name"; return 0; }
  [[ $pid =~ ^[0-9]+$ ]] || return 0
  [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$name" ] && alive "$pid" || return 0
  say "stopping $name (pid $pid)"
  kill -TERM "$pid" 2>/dev/null || return 0
  for _ in $(seq 150); do alive "$pid" || return 0; sleep 0.1; done
  say "$name still running after 15 s, killing it"
  kill -KILL "$pid" 2>/dev/null
  for _ in $(seq 50); do alive "$pid" || return 0; sleep 0.1; done
  say "could not stop $name (pid $pid)"
}

cleanup() {
  local rc=$?
  set +e
  if $started_slurmctld; then
    # Jobs still running would outlive slurmd in their slurmstepd.
    if [ -n "$(squeue -h -o %A 2>/dev/null)" ]; then
      say "cancelling the jobs left"
      scancel --user=root 2>/dev/null
      for _ in $(seq 100); do [ -z "$(squeue -h -o %A 2>/dev/null)" ] && break; sleep 0.1; done
    fi
  fi
  $started_slurmd && stop_daemon slurmd "$tmp/run/slurmd.pid"
  $started_slurmctld && stop_daemon slurmctld "$tmp/run/slurmctld.pid"
  $started_munged && stop_daemon munged "$munged_pidfile"
  rm -rf "$tmp"
  if [ "$rc" -eq 0 ]; then say "passed in ${SECONDS} s"; else say "failed after ${SECONDS} s"; fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Shows the end of the daemons' logs, to explain a failure.
show_logs() {
  local f
  for f in "$tmp"/log/*.log; do
    [ -f "$f" ] || continue
    echo "----- last lines of $f" >&2
    tail -n 20 "$f" >&2
  done
}

# Polls COMMAND until it succeeds or SECONDS_ pass; the status tells which.
wait_for() {
  local seconds=$1 deadline; shift
  deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

### Without an executable the template must stop at once, not run a job
# that fails on every node.
mkdir "$tmp/empty"
rc=0
msg=$(env -u LANDUSE_BATCH PATH="$tmp/empty" /bin/bash "$template" analysis2 "$tmp/none" 2>&1) || rc=$?
if [ "$rc" -ne 2 ] || [ "$(wc -l <<<"$msg")" -ne 1 ] || [[ $msg != *LANDUSE_BATCH* ]]; then
  fail "with no executable the template gave status $rc and: $msg"
fi

### Packages
packages=(slurmctld slurmd slurm-client munge)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  say "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! apt-get install -y -q --no-install-recommends "${missing[@]}" >"$tmp/apt.log" 2>&1; then
    say "install failed, updating the package lists first"
    { apt-get update -q && apt-get install -y -q --no-install-recommends "${missing[@]}"; } \
      >"$tmp/apt.log" 2>&1 || { tail -n 20 "$tmp/apt.log" >&2; fail "could not install ${missing[*]}"; }
  fi
fi

### munge
munge_answers() { munge -n </dev/null 2>/dev/null | unmunge >/dev/null 2>&1; }
if munge_answers; then
  say "using the munged already running"
else
  key=/etc/munge/munge.key
  [ -f "$key" ] || fail "no munge key at $key (the munge package creates it)"
  case "$(stat -c %a "$key")" in
    400|600) ;;
    *) fail "$key has mode $(stat -c %a "$key"); munged wants 0400 or 0600" ;;
  esac
  install -d -o munge -g munge -m 0755 /run/munge
  say "starting munged"
  started_munged=true
  runuser -u munge -- /usr/sbin/munged || fail "munged did not start (see /var/log/munge/munged.log)"
  wait_for 10 munge_answers || fail "munged does not answer"
fi

### Configuration
host=$(hostname -s)
cpus=$(nproc)
mkdir -p "$tmp/state" "$tmp/spool" "$tmp/log" "$tmp/run" "$tmp/array" "$tmp/local"

# Ports nothing listens on, below the kernel's range for outgoing
# connections, so that a daemon left over from elsewhere cannot collide.
listening_ports() {
  local _ addr st
  cat /proc/net/tcp /proc/net/tcp6 2>/dev/null | while read -r _ addr _ st _; do
    [ "$st" = 0A ] && echo $((16#${addr##*:}))
  done
  return 0
}
free_port() {
  local taken p _
  taken=" $(listening_ports | tr '\n' ' ') $* "
  for _ in $(seq 200); do
    p=$((20000 + RANDOM % 12000))
    [[ $taken == *" $p "* ]] || { echo "$p"; return 0; }
  done
  return 1
}
ctld_port=$(free_port) || fail "no free port"
slurmd_port=$(free_port "$ctld_port") || fail "no free port"

export SLURM_CONF=$tmp/slurm.conf
cat >"$SLURM_CONF" <<EOF
ClusterName=$host
SlurmctldHost=$host
SlurmUser=root
SlurmdUser=root
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
AuthType=auth/munge
StateSaveLocation=$tmp/state
SlurmdSpoolDir=$tmp/spool
SlurmctldPidFile=$tmp/run/slurmctld.pid
SlurmdPidFile=$tmp/run/slurmd.pid
SlurmctldLogFile=$tmp/log/slurmctld.log
SlurmdLogFile=$tmp/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
MpiDefault=none
MailProg=/bin/true
ReturnToService=2
NodeName=$host CPUs=$cpus State=UNKNOWN
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF

### Daemons
t0=$SECONDS
say "starting slurmctld (port $ctld_port) and slurmd (port $slurmd_port) for node $host, $cpus CPUs"
started_slurmctld=true
slurmctld -i -f "$SLURM_CONF" >"$tmp/log/slurmctld.out" 2>&1 \
  || { cat "$tmp/log/slurmctld.out" >&2; show_logs; fail "slurmctld did not start"; }
started_slurmd=true
slurmd -f "$SLURM_CONF" >"$tmp/log/slurmd.out" 2>&1 \
  || { cat "$tmp/log/slurmd.out" >&2; show_logs; fail "slurmd did not start"; }

node_idle() { [ "$(sinfo -h -N -n "$host" -o %T 2>/dev/null)" = idle ]; }
wait_for 60 node_idle || { sinfo -N >&2; show_logs; fail "node $host not idle within 60 s"; }
say "node $host idle after $((SECONDS - t0)) s"

### The array job
out=$tmp/array/out
say "submitting a 2-task array: ${experiment[*]}"
# One CPU a task: both tasks run at once on two cores, each with -j 1, while
# the local run below uses the default, so the comparison also shows that the
# results do not depend on the thread count.
job=$(cd "$tmp/array" && LANDUSE_BATCH=$batch sbatch --parsable --array=0-1 --cpus-per-task=1 \
        "$template" "${experiment[0]}" "$out" "${experiment[@]:1}") \
  || fail "sbatch refused the job"
job=${job%%;*}
t0=$SECONDS
job_gone() { [ -z "$(squeue -h -j "$job" 2>/dev/null)" ]; }
wait_for 600 job_gone || { squeue >&2; show_logs; fail "job $job still there after 600 s"; }
say "job $job ended after $((SECONDS - t0)) s"

# The controller keeps ended jobs for a while; without accounting this is
# where each task's state and exit code are read.
states=$(scontrol -o show job "$job" 2>&1 | awk '{
  t = s = e = ""
  for (i = 1; i <= NF; i++) {
    split($i, kv, "=")
    if (kv[1] == "ArrayTaskId") t = kv[2]
    else if (kv[1] == "JobState") s = kv[2]
    else if (kv[1] == "ExitCode") e = $i
  }
  print "task " t " " s " " e
}') || true
bad=false
for t in 0 1; do
  f=$tmp/array/landuse-batch-${job}_$t.out
  if [ ! -f "$f" ]; then
    say "task $t wrote no output file $f"; bad=true
  elif [ -s "$f" ]; then
    echo "----- output of task $t:"; cat "$f"
  fi
  grep -qx "task $t COMPLETED ExitCode=0:0" <<<"$states" || { say "task $t did not succeed"; bad=true; }
done
$bad && { echo "$states" >&2; show_logs; fail "array tasks failed"; }
for s in 0 1; do
  [ -f "$out/runs-shard-$s-of-2.csv" ] \
    || { ls -l "$out" >&2; fail "no $out/runs-shard-$s-of-2.csv: the tasks did not take their shards"; }
done
[ ! -e "$out/runs.csv" ] || fail "a task wrote runs.csv: it ran unsharded"

### Merge, and the same experiment here
say "merging the shards"
"$batch" merge "$out" || fail "landuse-batch merge exited with $?"
say "running the same experiment here, unsharded"
local_out=$tmp/local/out
"$batch" "${experiment[0]}" "$local_out" "${experiment[@]:1}" >"$tmp/local/log" 2>&1 \
  || { cat "$tmp/local/log" >&2; fail "local run failed"; }

same_file() {
  cmp -s "$1" "$2" && return 0
  say "$1 and $2 differ:"
  diff -u "$2" "$1" | head -n 40 >&2 || true
  return 1
}
same=true
same_file "$out/runs.csv" "$local_out/runs.csv" || same=false
expected=$(for ((r = 0; r < runs; r++)); do printf '%06d\n' "$r"; done)
for d in "$out" "$local_out"; do
  got=$(cd "$d/runs" && ls)
  [ "$got" = "$expected" ] || { say "runs in $d/runs: ${got//$'\n'/ }; expected ${expected//$'\n'/ }"; same=false; }
done
for r in $expected; do
  same_file "$out/runs/$r/stats.csv" "$local_out/runs/$r/stats.csv" || same=false
done
$same || fail "the merged array job differs from the local run"
say "runs.csv and the $runs stats.csv of the array job match the local run"

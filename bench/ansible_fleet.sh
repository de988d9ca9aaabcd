#!/usr/bin/env bash
# How long the Ansible role takes for a fleet: HOSTS local hosts (ansible_connection=local), each
# with its own printer-sim on 127.0.0.1, --forks FORKS, a 64 KiB image. Two plays in a row: one
# that updates every printer and one that finds nothing to send. Both are put beside figures
# measured in the same run: one silent download alone (the floor a printer sets), and a play of
# one ping task over the same hosts (what one Python module per host costs Ansible).
# Goals: the update play within 60 s, the play with nothing to send within 30 s (100 hosts).
#
# Usage: bench/ansible_fleet.sh [BUILD_DIR]   (default: build)
# Environment:
#   HOSTS=100 FORKS=50 RUNS=1   fleet size, forks, and how many times each pair of plays runs
#   MODE=both                   plain: no expected version (the last result decides);
#                               version: mirelith_expected_version=2.00 (identify, then a
#                               verified update); both: one after the other
#   STRATEGY=                   e.g. mitogen_linear (Debian's ansible-mitogen puts it where
#                               Ansible finds it)
#   EXTRA=                      more [printers:vars] lines, e.g. "ansible_pipelining=false"
#   PROFILE=1                   also print the ten slowest tasks of each play (profile_tasks)
#   DEPLOY=deploy/ansible       the playbook's directory (e.g. an older copy of the role)
#   KEEP=1                      keep the work directory
# Prints one line per figure; exit status 1 when a play failed (not when a goal is missed).
# Needs /usr/bin/time (package time) and bc.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
repo=$(cd "$(dirname "$0")/.." && pwd)
hosts=${HOSTS:-100}
forks=${FORKS:-50}
runs=${RUNS:-1}
mode=${MODE:-both}
deploy=$(cd "${DEPLOY:-$repo/deploy/ansible}" && pwd)
sim=$build/tools/printer-sim
program=$build/main/mirelith
for f in "$sim" "$program"; do [ -x "$f" ] || { echo "missing $f" >&2; exit 1; }; done
command -v ansible-playbook >/dev/null || { echo "ansible-playbook is not installed" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/mirelith-fleet-bench.XXXXXX")
sim_pids=()
cleanup() {
  local pid
  for pid in "${sim_pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  for pid in "${sim_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  sim_pids=()
  if [ -n "${KEEP:-}" ]; then echo "kept $work" >&2; else rm -rf "$work"; fi
}
trap cleanup EXIT

image=$work/KAV_T90_010226.fls
head -c 65536 /dev/urandom >"$image"
export ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_HOST_KEY_CHECKING=0
export ANSIBLE_LOCAL_TEMP="$work/ansible-local" ANSIBLE_REMOTE_TEMP="$work/ansible-remote"
[ -n "${STRATEGY:-}" ] && export ANSIBLE_STRATEGY="$STRATEGY"
[ -n "${PROFILE:-}" ] && export ANSIBLE_CALLBACKS_ENABLED=ansible.posix.profile_tasks \
  PROFILE_TASKS_SORT_ORDER=descending PROFILE_TASKS_TASK_OUTPUT_LIMIT=10

# start_sims : a fresh printer-sim per host, answering 1.20 and 2.00 after a 1 s restart.
start_sims() {
  local i pid
  for pid in "${sim_pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  for pid in "${sim_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  sim_pids=()
  rm -rf "$work/sims" && mkdir -p "$work/sims"
  for i in $(seq 1 "$hosts"); do
    "$sim" --tcp --info-file "$work/sims/$i.info" --version 1.20 --maker Voranex \
      --model "T90 Prime" --serial "S$i" --restart-seconds 1 --version-after 2.00 \
      >/dev/null 2>&1 &
    sim_pids+=($!)
  done
  for i in $(seq 1 "$hosts"); do
    local tries=0
    until [ -s "$work/sims/$i.info" ]; do
      tries=$((tries + 1)); [ $tries -lt 200 ] || { echo "printer-sim $i did not start" >&2; exit 1; }
      sleep 0.05
    done
  done
}

# write_inventory [EXTRA VARS...] : one host per simulator, fresh working directories.
write_inventory() {
  local i
  rm -rf "$work/hosts" "$work/reports"
  {
    echo "[printers]"
    for i in $(seq 1 "$hosts"); do
      echo "printer-$i mirelith_tcp_port=$(sed -n 's/^tcp=//p' "$work/sims/$i.info")"
    done
    echo "[printers:vars]"
    echo "ansible_connection=local"
    echo "ansible_python_interpreter=\"{{ ansible_playbook_python }}\""
    echo "mirelith_dir=$work/hosts/{{ inventory_hostname }}"
    echo "mirelith_address=127.0.0.1"
    echo "mirelith_model=KAV_T90"
    echo "mirelith_firmware=$image"
    echo "mirelith_binary=$program"
    echo "mirelith_report_dir=$work/reports"
    [ -z "${EXTRA:-}" ] || printf '%s\n' "$EXTRA"
    printf '%s\n' "$@"
  } >"$work/inventory.ini"
}

# timed NAME COMMAND... : runs it, keeps its output in NAME.out, sets SECONDS_TAKEN (wall) and
# CPU_TAKEN (user and system seconds of the command and every process it waited for: the
# controller, its workers, the modules and the program; not the simulators). On this shared
# machine the CPU seconds vary less than the wall time when others are busy.
timed() {
  local name=$1 status=0
  shift
  /usr/bin/time -f '%e %U %S' -o "$work/$name.time" "$@" >"$work/$name.out" 2>&1 || status=$?
  SECONDS_TAKEN=$(awk '{print $1}' "$work/$name.time" | tail -1)
  CPU_TAKEN=$(awk '{print $2 + $3}' "$work/$name.time" | tail -1)
  if [ "$status" -ne 0 ]; then
    tail -40 "$work/$name.out" >&2
    echo "$name: exit status $status" >&2
    exit 1
  fi
  if [ -n "${PROFILE:-}" ]; then
    sed -n '/^=\{20,\}/,$p' "$work/$name.out" | sed "s/^/  $name | /" | head -14
  fi
}

play=(timeout 900 ansible-playbook -i "$work/inventory.ini" --forks "$forks"
      "$deploy/update-printers.yml")

# median VALUES... : the middle one (the lower of the two middle ones for an even count).
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

# Floors of this run.
start_sims
mkdir -p "$work/alone"
cp "$program" "$work/alone/mirelith"
port1=$(sed -n 's/^tcp=//p' "$work/sims/1.info")
timed alone bash -c "cd '$work/alone' && ./mirelith -s -p NET 127.0.0.1 -tcpport $port1 -m KAV_T90 -f '$image' -q"
alone=$SECONDS_TAKEN
write_inventory
cat >"$work/noop.yml" <<'EOF'
- hosts: printers
  gather_facts: false
  tasks:
    - ansible.builtin.ping:
EOF
timed noop timeout 600 ansible-playbook -i "$work/inventory.ini" --forks "$forks" "$work/noop.yml"
noop=$SECONDS_TAKEN
noop_cpu=$CPU_TAKEN
printf 'fleet: %d hosts, --forks %d, 64 KiB image, strategy %s%s\n' "$hosts" "$forks" \
  "${STRATEGY:-linear}" "${EXTRA:+, $EXTRA}"
printf 'floor: one silent download alone           %6.1f s wall\n' "$alone"
printf 'floor: one-task play (ping) over the fleet %6.1f s wall %6.1f s CPU\n' "$noop" "$noop_cpu"

# expect_rows NAME OUTCOME : every host's row of the summary says OUTCOME, or the time means
# nothing.
expect_rows() {
  local n
  n=$(grep -Ec "^printer-[0-9]+ +$2 " "$work/reports/summary.txt" || true)
  [ "$n" -eq "$hosts" ] || { cat "$work/reports/summary.txt" >&2; echo "$1: $n of $hosts rows say $2" >&2; exit 1; }
}

# report LABEL GOAL WALL... -- CPU... : one line for a kind of play.
report() {
  local label=$1 goal=$2 walls=() cpus=()
  shift 2
  while [ "$1" != -- ]; do walls+=("$1"); shift; done
  shift
  cpus=("$@")
  local w c
  w=$(median "${walls[@]}")
  c=$(median "${cpus[@]}")
  printf '%-24s %6.1f s wall %6.1f s CPU (runs: %s) = %4.1f x the one-task play (wall), %4.1f x (CPU), %4.1f x one download  [goal %s s]\n' \
    "$label" "$w" "$c" "${walls[*]}" "$(echo "$w / $noop" | bc -l)" "$(echo "$c / $noop_cpu" | bc -l)" \
    "$(echo "$w / $alone" | bc -l)" "$goal"
}

run_mode() {
  local label=$1 extra=$2 again_outcome=$3 r update=() update_cpu=() again=() again_cpu=()
  for r in $(seq 1 "$runs"); do
    start_sims
    if [ -n "$extra" ]; then write_inventory "$extra"; else write_inventory; fi
    timed "$label-update-$r" "${play[@]}"
    expect_rows "$label-update-$r" sent
    update+=("$SECONDS_TAKEN"); update_cpu+=("$CPU_TAKEN")
    timed "$label-again-$r" "${play[@]}"
    expect_rows "$label-again-$r" "$again_outcome"
    again+=("$SECONDS_TAKEN"); again_cpu+=("$CPU_TAKEN")
  done
  report "$label update play" 60 "${update[@]}" -- "${update_cpu[@]}"
  report "$label nothing to send" 30 "${again[@]}" -- "${again_cpu[@]}"
}

case "$mode" in
  plain) run_mode plain "" sent ;;
  version) run_mode version 'mirelith_expected_version="2.00"' current ;;
  both) run_mode plain "" sent; run_mode version 'mirelith_expected_version="2.00"' current ;;
  *) echo "MODE must be plain, version or both" >&2; exit 1 ;;
esac

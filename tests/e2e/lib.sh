# Shared helpers for the end-to-end scripts: a private work directory with its own copy of the
# program (so its log file "_QEM_NUV.txt" lands there, not beside the shared build), printer-sim
# started and waited for, and everything cleaned up on exit.
# Usage: source lib.sh; e2e_init "$1"
set -euo pipefail

SIM_PID=""
WORK=""
CUPS_DIR=""

e2e_init() {
  BUILD=$(cd "$1" && pwd)
  SIM="$BUILD/tools/printer-sim"
  WORK=$(mktemp -d "${TMPDIR:-/tmp}/mirelith-e2e.XXXXXX")
  trap e2e_cleanup EXIT
  [ -x "$SIM" ] || { echo "printer-sim not built: $SIM" >&2; exit 1; }
  [ -x "$BUILD/main/mirelith" ] || { echo "mirelith not built" >&2; exit 1; }
  mkdir -p "$WORK/bin" "$WORK/run"
  cp "$BUILD/main/mirelith" "$WORK/bin/mirelith"
  MIRELITH="$WORK/bin/mirelith"
  LOG="$WORK/bin/_QEM_NUV.txt"
}

e2e_cleanup() {
  if [ -n "${E2E_KEEP:-}" ]; then echo "kept $WORK" >&2; WORK=""; fi
  stop_sim || true
  [ -n "$CUPS_DIR" ] && bash "$CUPSD_HELPER" stop "$CUPS_DIR"
  [ -n "$WORK" ] && rm -rf "$WORK"
}

fail() { echo "FAIL: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }

# start_sim ARGS... : printer-sim in the background; sets SIM_TCP and/or SIM_PTY.
start_sim() {
  stop_sim || true
  rm -f "$WORK/sim.info" "$WORK/received.bin"
  "$SIM" --info-file "$WORK/sim.info" --output "$WORK/received.bin" "$@" \
      >"$WORK/sim.out" 2>"$WORK/sim.err" &
  SIM_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -f "$WORK/sim.info" ] && break
    kill -0 "$SIM_PID" 2>/dev/null || { cat "$WORK/sim.err" >&2; fail "printer-sim did not start"; }
    sleep 0.05
  done
  [ -f "$WORK/sim.info" ] || fail "printer-sim gave no port in time"
  SIM_TCP=$(sed -n 's/^tcp=//p' "$WORK/sim.info")
  SIM_PTY=$(sed -n 's/^pty=//p' "$WORK/sim.info")
}

stop_sim() {
  if [ -n "$SIM_PID" ]; then
    kill -TERM "$SIM_PID" 2>/dev/null || true
    wait "$SIM_PID" 2>/dev/null || true
    SIM_PID=""
  fi
}

# make_image FILE BYTES : a firmware image with varied content.
make_image() {
  head -c "$2" /dev/urandom >"$1"
}

# run_mirelith ARGS... : runs the program in $WORK/run with a time limit; sets STATUS.
run_mirelith() {
  set +e
  (cd "$WORK/run" && timeout 120 "$MIRELITH" "$@") >"$WORK/mirelith.out" 2>"$WORK/mirelith.err"
  STATUS=$?
  set -e
}

expect_status() {
  [ "$STATUS" -eq "$1" ] || { cat "$WORK/mirelith.err" >&2; fail "$2: exit status $STATUS, expected $1"; }
}

# expect_received FILE : the printer got exactly FILE's bytes (after the simulator flushed).
expect_received() {
  stop_sim
  cmp -s "$1" "$WORK/received.bin" ||
    fail "printer received $(stat -c %s "$WORK/received.bin" 2>/dev/null || echo 0) bytes, not the $(stat -c %s "$1") of $1"
}

# expect_log_lines TEXT... : the log holds exactly these reports (timestamps aside), in order.
expect_log_lines() {
  [ -f "$LOG" ] || fail "no log file"
  local got
  got=$(tr -d '\r' <"$LOG" | sed -n 's/^\[[0-9]\{4\}\/[0-9][0-9]\/[0-9][0-9]-[0-9][0-9]:[0-9][0-9]:[0-9][0-9]\]  //p')
  local want
  want=$(printf '%s\n' "$@")
  [ "$got" = "$want" ] || fail "log lines differ: got [$got] expected [$want]"
}

expect_no_log() {
  [ ! -e "$LOG" ] || fail "unexpected log: $(cat "$LOG")"
}

# start_dropping_listener PORT_FILE: a listener on 127.0.0.1 whose backlog is full, so new
# connection requests are dropped rather than refused; writes its port to PORT_FILE and its
# process id to $dropper (it ends by itself after a minute).
start_dropping_listener() {
  python3 - "$1" <<'PY' &
import socket, sys, time
listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(0)
port = listener.getsockname()[1]
fillers = []
while True:
    client = socket.socket()
    client.settimeout(0.5)
    try:
        client.connect(("127.0.0.1", port))
    except OSError:
        break
    fillers.append(client)
open(sys.argv[1], "w").write(str(port))
time.sleep(60)
PY
  dropper=$!
  for _ in $(seq 50); do [ -s "$1" ] && break; sleep 0.1; done
  [ -s "$1" ] || fail "no dropping listener"
}

# start_private_cupsd [optional] : a cupsd of the script's own, stopped at exit, with CUPS_SERVER
# pointing at it. Without cupsd the script is skipped (status 77); with "optional" it returns 1
# instead, so the script can go on without queues.
CUPSD_HELPER="$(cd "$(dirname "${BASH_SOURCE[0]}")/../fixtures/cups" && pwd)/private_cupsd.sh"
start_private_cupsd() {
  local dir="$WORK/cups" socket rc=0
  mkdir -p "$dir"
  chmod 755 "$WORK" # cupsd drops privileges and must still reach its directory
  socket=$(bash "$CUPSD_HELPER" start "$dir") || rc=$?
  if [ "$rc" -ne 0 ]; then
    [ "${1:-}" = optional ] && return 1
    [ "$rc" -eq 77 ] && { echo "SKIP: cupsd is not available" >&2; exit 77; }
    fail "private cupsd did not start"
  fi
  CUPS_DIR=$dir
  export CUPS_SERVER="$socket"
}

# queue_line QUEUE : device, running or stopped, and accepting or not, as one line.
queue_line() {
  printf '%s|%s|%s|%s' "$1" "$(lpstat -v "$1" | sed 's/^[^:]*: //')" \
    "$(lpstat -p "$1" | head -1 | grep -o 'disabled\|idle\|printing')" \
    "$(lpstat -a "$1" | grep -o 'not accepting\|accepting' | head -1)"
}

queue_stopped() { lpstat -p "$1" | head -1 | grep -q disabled; }

# expect_result FILE KEY=JSON... : the --result file holds every agreed key in order, the version
# of this tree, a UTC start and a duration, and each KEY exactly that JSON value.
expect_result() {
  local file=$1; shift
  local version
  version=$(sed -n 's/^project(Mirelith VERSION \([0-9.]*\).*/\1/p' "$(dirname "${BASH_SOURCE[0]}")/../../CMakeLists.txt")
  python3 - "$file" "$version" "$@" <<'PY' || fail "result file: $(cat "$file" 2>/dev/null)"
import json, re, sys
path, version, *pairs = sys.argv[1:]
r = json.load(open(path))
keys = ["outcome", "exit_status", "log_line", "log_file", "reason", "warnings", "model",
        "model_code", "port", "device", "file", "file_size", "sha256", "bytes_sent", "started",
        "duration_ms", "version", "printer_version_before", "printer_version_after", "verified"]
assert list(r) == keys, list(r)
assert r["version"] == version, r["version"]
assert re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ", r["started"]), r["started"]
assert isinstance(r["duration_ms"], int) and r["duration_ms"] >= 0
for pair in pairs:
    key, want = pair.split("=", 1)
    assert r[key] == json.loads(want), f"{key}: {r[key]!r} != {want}"
PY
}

# wine_init : the Windows build ("$BUILD/../build-win", or MIRELITH_WIN_BUILD) copied into the work
# directory and Wine set up (WINEPREFIX, when set before, is kept); without a Windows build the
# script is skipped (status 77).
wine_init() {
  local win
  win=$(cd "${MIRELITH_WIN_BUILD:-$BUILD/../build-win}" 2>/dev/null && pwd) || win=none
  [ -f "$win/main/mirelith.exe" ] || { echo "SKIP: no Windows build at $win" >&2; exit 77; }
  # shellcheck source=/dev/null
  source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
  cp "$win/main/mirelith.exe" "$WORK/bin/mirelith.exe"
  WIN_BUILD=$win
}

# run_exe ARGS... : the Windows program under Wine in the run directory; sets STATUS and keeps its
# output in $WORK/mirelith.out and .err.
run_exe() {
  set +e
  (cd "$WORK/run" && timeout 180 wine "$WORK/bin/mirelith.exe" "$@") \
      >"$WORK/mirelith.out" 2>"$WORK/mirelith.err"
  STATUS=$?
  set -e
}

# The Ansible fleets. fleet_init BUILD_DIR : e2e_init for a script that drives Ansible (skipped
# where it is not installed), whose printers, each started by host_sim, end with it.
fleet_init() {
  if ! command -v ansible-playbook >/dev/null; then
    echo "skip: ansible-playbook is not installed" >&2
    exit 77
  fi
  e2e_init "$1"
  mkdir -p "$WORK/sims"
  SIM_PIDS=()
  trap fleet_cleanup EXIT
}

fleet_cleanup() {
  local pid
  for pid in "${SIM_PIDS[@]}"; do kill -TERM "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  e2e_cleanup
}

# host_sim NAME ARGS... : a printer-sim of its own for host NAME; sets PORT_<NAME>.
host_sim() {
  local name=$1 _
  shift
  "$SIM" --info-file "$WORK/sims/$name.info" --output "$WORK/sims/$name.bin" "$@" \
      >/dev/null 2>"$WORK/sims/$name.err" &
  SIM_PIDS+=($!)
  for _ in $(seq 1 100); do
    [ -s "$WORK/sims/$name.info" ] && break
    sleep 0.05
  done
  printf -v "PORT_$name" '%s' "$(sed -n 's/^tcp=//p' "$WORK/sims/$name.info")"
  [ -n "$(eval echo "\$PORT_$name")" ] || fail "printer-sim for $name did not start"
}
# The bytes host NAME's printer received (0 before any), and the connections it accepted.
received() { stat -c %s "$WORK/sims/$1.bin" 2>/dev/null || echo 0; }
connections() { grep -c 'connection accepted' "$WORK/sims/$1.err" || true; }

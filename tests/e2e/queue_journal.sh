#!/usr/bin/env bash
# The printer queue journal with real silent runs and a private cupsd:
# 1. a run killed with SIGKILL in the middle of its transfer leaves its queues stopped and its
#    journal beside the program; the next start of the program (an Invalid run) gives every
#    queue back exactly (device URI, state, accepting, message) and says so in the log and on
#    stderr, except a queue an administrator changed meanwhile, which it leaves and reports;
# 2. two runs at once on one device, in both finishing orders: the journal of a running copy is
#    left alone by a third start, the queues stay stopped until the last run ends, and then
#    they are exactly as before.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

start_private_cupsd
SIM2_PID=""
# Runs and simulators still going when the script stops are its own background jobs.
trap 'kill $(jobs -p) 2>/dev/null; e2e_cleanup' EXIT

QUEUES="Printer Stopped Tenth Labels Prime"

message() { lpstat -l -p "$1" | sed -n '2{/Form mounted/!p}'; }

# every queue with its state message, one line each
snapshot() {
  local q
  for q in ${1:-$QUEUES}; do echo "$(queue_line "$q")|$(message "$q")"; done
}

journals() { find "$WORK/bin" -name '_QEM_NUV.queues.*.journal' | wc -l; }

# launch PTY OUT : a silent COM1 run in the background whose COM1 is PTY; sets RUN_PID.
launch() {
  (cd "$WORK/run" && MIRELITH_COM1="$1" exec "$MIRELITH" -s -p COM1 -m "T90 Prime" -f fw.fls) \
      >"$WORK/$2.out" 2>"$WORK/$2.err" &
  RUN_PID=$!
}

# wait_sending PID RECEIVED : until the run's printer has bytes and the Printer queue is stopped.
wait_sending() {
  local i
  for i in $(seq 1 200); do
    if queue_stopped Printer && [ -s "$2" ]; then return 0; fi
    kill -0 "$1" 2>/dev/null || fail "the run ended before it was interrupted"
    sleep 0.05
  done
  fail "the run did not start sending"
}

# end_run PID SIGNAL : sends the signal and waits; sets STATUS.
end_run() {
  kill -"$2" "$1"
  set +e
  wait "$1"
  STATUS=$?
  set -e
}

# A second stalling printer on a pseudo-terminal of its own; sets PTY2.
start_second_sim() {
  [ -n "$SIM2_PID" ] && kill "$SIM2_PID" 2>/dev/null && wait "$SIM2_PID" 2>/dev/null
  rm -f "$WORK/sim2.info" "$WORK/received2.bin"
  "$SIM" --info-file "$WORK/sim2.info" --output "$WORK/received2.bin" --pty --stall-after 20000 \
      >/dev/null 2>&1 &
  SIM2_PID=$!
  for _ in $(seq 1 100); do [ -f "$WORK/sim2.info" ] && break; sleep 0.05; done
  PTY2=$(sed -n 's/^pty=//p' "$WORK/sim2.info")
  [ -n "$PTY2" ] || fail "second printer-sim gave no pseudo-terminal"
}

make_image "$WORK/run/fw.fls" 300000
start_sim --pty --stall-after 20000
lpadmin -p Printer -E -v "serial:$SIM_PTY?baud=115200" || fail "cannot create Printer"
lpadmin -p Stopped -E -v "serial:$SIM_PTY" || fail "cannot create Stopped"  # same device
lpadmin -p Tenth -E -v "serial:/dev/ttyS9" || fail "cannot create Tenth"    # COM10: contains COM1
lpadmin -p Labels -E -v "parallel:/dev/lp0" || fail "cannot create Labels"  # another device
lpadmin -p Prime -E -v "usb://Maker/T90%20Prime?serial=PRM1" || fail "cannot create Prime"
cupsreject Stopped
cupsdisable -r "out of paper" Stopped

# 1. SIGKILL in the middle of the transfer, then any start of the program.
before=$(snapshot)
launch "$SIM_PTY" killed
pid=$RUN_PID
wait_sending "$pid" "$WORK/received.bin"
[ "$(journals)" -eq 1 ] || fail "no journal beside the program during the download"
end_run "$pid" KILL
for q in Printer Tenth Prime; do
  queue_stopped "$q" || fail "queue $q not left stopped by the killed run"
done
[ "$(journals)" -eq 1 ] || fail "the killed run's journal is gone"
# An administrator moves Tenth elsewhere and starts it meanwhile: it is not the program's any more.
lpadmin -p Tenth -v serial:/dev/ttyS5
cupsenable Tenth
tenth=$(snapshot Tenth)

run_mirelith -s -p PRN
expect_status 1 "Invalid run after the kill"
after=$(snapshot "Printer Stopped Labels Prime")
want=$(printf '%s\n' "$before" | grep -v '^Tenth|')
[ "$after" = "$want" ] || fail "queues not given back exactly: [$after] expected [$want]"
[ "$(snapshot Tenth)" = "$tenth" ] || fail "the queue the administrator changed was touched"
[ "$(journals)" -eq 0 ] || fail "the replayed journal was kept"
expect_log_lines "Restored printer queue Prime to USB001" "Restored printer queue Printer to COM1:" \
  "Printer queue Tenth was changed while redirected; left as it is" "Invalid parameters"
grep -qx "mirelith: Restored printer queue Printer to COM1:" "$WORK/mirelith.err" ||
  fail "no restore line on stderr: $(cat "$WORK/mirelith.err")"
pass "SIGKILL mid-transfer: the next start gives the queues back and reports the changed one"
lpadmin -p Tenth -v serial:/dev/ttyS9
rm -f "$LOG"

# 2. Two runs on one device (both name it COM1), in both finishing orders.
for order in "first second" "second first"; do
  start_sim --pty --stall-after 20000
  lpadmin -p Printer -v "serial:$SIM_PTY?baud=115200"
  lpadmin -p Stopped -v "serial:$SIM_PTY"
  start_second_sim
  before=$(snapshot)
  launch "$SIM_PTY" first
  first=$RUN_PID
  wait_sending "$first" "$WORK/received.bin"
  launch "$PTY2" second
  second=$RUN_PID
  wait_sending "$second" "$WORK/received2.bin"
  [ "$(journals)" -eq 2 ] || fail "expected a journal per running copy, found $(journals)"

  # A start while both run leaves their journals and queues alone.
  run_mirelith -s -p PRN
  expect_status 1 "Invalid run during two downloads"
  ! grep -q "printer queue" "$WORK/mirelith.err" || fail "a running copy's queues were touched"
  [ "$(journals)" -eq 2 ] || fail "a running copy's journal was touched"

  set -- $order
  end_run "${!1}" TERM
  expect_status 3 "SIGTERM to the $1 run"
  for q in Printer Tenth Prime; do
    queue_stopped "$q" || fail "$q given back while the $2 run still downloads"
  done
  end_run "${!2}" TERM
  expect_status 3 "SIGTERM to the $2 run"
  after=$(snapshot)
  [ "$after" = "$before" ] || fail "order $order: [$after] expected [$before]"
  [ "$(journals)" -eq 0 ] || fail "order $order: journals left behind"
  pass "two runs on one device, the $1 ending first: queues as they were"
done

#!/usr/bin/env bash
# Printer queues during real silent runs, with a private cupsd: the queues on the printer's
# serial port (and every USB queue, as no model name goes with a serial port) are stopped while
# the image is sent, and given back exactly as they were both at the end of a download and when
# the run is interrupted by SIGTERM in the middle of the transfer. (The other signals take the
# same path in the program; silent_interrupt.sh checks that they end the run.)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

start_private_cupsd

QUEUES="Printer Tenth Labels Prime Held"

add_queue() {
  lpadmin -p "$1" -E -v "$2" >/dev/null 2>&1 || fail "cannot create queue $1 on $2"
}

# every queue, one line each, and how many carry our message
snapshot() {
  local q
  for q in $QUEUES; do echo "$(queue_line "$q")"; done
  lpstat -l -p | grep -c 'Printer firmware download in progress' || true
}

# A queue on the very device the printer is on: the pseudo-terminal that COM1 names.
start_sim --pty
export MIRELITH_COM1="$SIM_PTY"
add_queue Printer "serial:$SIM_PTY?baud=115200"
add_queue Tenth "serial:/dev/ttyS9"    # COM10: contains "COM1"
add_queue Labels "parallel:/dev/lp0"   # LPT1: another device
add_queue Prime "usb://Maker/T90%20Prime?serial=PRM1"
add_queue Held "serial:/dev/ttyS2"     # COM3:, stopped and rejecting before the run
cupsreject Held
cupsdisable -r "out of paper" Held
before=$(snapshot)

make_image "$WORK/run/fw.fls" 300000

# SIGTERM and its siblings in the middle of the transfer: the printer stops reading.
for signal in TERM; do
  start_sim --pty --stall-after 20000
  export MIRELITH_COM1="$SIM_PTY"
  lpadmin -p Printer -v "serial:$SIM_PTY?baud=115200"
  before=$(snapshot)
  (cd "$WORK/run" && exec "$MIRELITH" -s -p COM1 -m "T90 Prime" -f fw.fls) \
      >"$WORK/mirelith.out" 2>"$WORK/mirelith.err" &
  pid=$!
  for i in $(seq 1 200); do
    if queue_stopped Printer && [ -s "$WORK/received.bin" ]; then break; fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$pid" 2>/dev/null || fail "the run ended before SIG$signal"
  queue_stopped Printer || fail "queue on COM1 not stopped during the download"
  queue_stopped Tenth || fail "queue on COM10 not stopped during the download"
  queue_stopped Prime || fail "USB queue not stopped during the download"
  queue_stopped Labels && fail "queue on LPT1 stopped by a COM1 download"
  kill -"$signal" "$pid"
  set +e
  timeout 60 tail --pid="$pid" -f /dev/null
  wait "$pid"
  STATUS=$?
  set -e
  expect_status 3 "SIG$signal mid-transfer"
  after=$(snapshot)
  [ "$after" = "$before" ] || fail "queues not restored after SIG$signal: [$after] expected [$before]"
  lpstat -l -p Held | grep -q "out of paper" || fail "the held queue lost its message"
  pass "SIG$signal mid-transfer: queues restored, status 3"
done

# A download that completes gives the queues back too.
start_sim --pty
export MIRELITH_COM1="$SIM_PTY"
lpadmin -p Printer -v "serial:$SIM_PTY?baud=115200"
before=$(snapshot)
run_mirelith -s -p COM1 -m "T90 Prime" -f fw.fls
expect_status 0 "complete run"
expect_received "$WORK/run/fw.fls"
after=$(snapshot)
[ "$after" = "$before" ] || fail "queues not restored after the download: [$after] expected [$before]"
pass "complete download: queues restored"

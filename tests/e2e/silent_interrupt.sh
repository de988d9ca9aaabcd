#!/usr/bin/env bash
# SIGTERM during a silent run ends it at once with exit status 3, the connection closed.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

make_image "$WORK/run/fw.fls" 100000
for signal in TERM INT HUP; do
  start_sim --tcp --once
  (cd "$WORK/run" && exec "$MIRELITH" -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" \
      -f fw.fls) &
  pid=$!
  sleep 1.5 # the image is sent; the run is in its settle phase (about 9 s)
  kill -"$signal" "$pid"
  started=$(date +%s%N)
  set +e
  wait "$pid"
  STATUS=$?
  set -e
  waited_ms=$(( ($(date +%s%N) - started) / 1000000 ))
  expect_status 3 "SIG$signal"
  [ "$waited_ms" -lt 2000 ] || fail "SIG$signal took ${waited_ms} ms to end the run"
  # The printer saw the whole image and then the connection close (--once ends the simulator).
  for i in $(seq 1 40); do kill -0 "$SIM_PID" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$SIM_PID" 2>/dev/null && fail "connection still open after SIG$signal"
  expect_received "$WORK/run/fw.fls"
  pass "SIG$signal ends the run with status 3"
done

# interrupt_blocked_run WHAT ARGS... : starts a silent run with ARGS that blocks on a printer
# that stopped reading, sends SIGTERM after 1.5 s and expects status 3 within 2 s.
interrupt_blocked_run() {
  local what=$1; shift
  (cd "$WORK/run" && exec "$MIRELITH" "$@") &
  local pid=$!
  sleep 1.5
  kill -TERM "$pid"
  local started
  started=$(date +%s%N)
  set +e
  wait "$pid"
  STATUS=$?
  set -e
  local waited_ms=$(( ($(date +%s%N) - started) / 1000000 ))
  expect_status 3 "SIGTERM during $what"
  [ "$waited_ms" -lt 2000 ] || fail "SIGTERM during $what took ${waited_ms} ms"
  stop_sim
  pass "SIGTERM during $what ends the run with status 3"
}

# A network printer that stopped reading: the blocked send is abandoned at once instead of
# waiting for its stall limit (the image is far larger than the socket buffers).
make_image "$WORK/run/huge.fls" 20000000
start_sim --tcp --stall-after 100000
interrupt_blocked_run "a blocked network send" \
    -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f huge.fls

# A serial printer that stopped reading: neither the blocked write attempt nor its retries hold
# the run.
start_sim --pty --stall-after 20000
export MIRELITH_COM1="$SIM_PTY"
interrupt_blocked_run "a blocked serial write" -s -p COM1 -m "T90 Prime" -f fw.fls

#!/usr/bin/env bash
# Every kind of port failure says why on stderr, naming the device, while the log keeps its
# exact line: no such device, unsupported baud rate, busy, permission denied with the group to
# join (as root only: the run is made as nobody on a device node of group dialout), connection
# refused, a name that is no address. A termination signal ends a connect that waits for a
# printer which drops the request at once.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

make_image "$WORK/run/fw.fls" 5000

# expect_reason TEXT LOGLINE : the run failed (status 2), stderr says TEXT, the log holds LOGLINE.
expect_reason() {
  expect_status 2 "$1"
  grep -qF -- "$1" "$WORK/mirelith.err" || { cat "$WORK/mirelith.err" >&2; fail "no reason \"$1\" on stderr"; }
  grep -qF -- "$2" "$LOG" || fail "log line \"$2\" missing"
  pass "$1"
}

run_mirelith -s -m "T90 Prime" -f fw.fls -p COM200
expect_reason "/dev/ttyS199: no such device" "Port Open Error. Port=\\\\.\\COM200"

start_sim --pty
export MIRELITH_COM1="$SIM_PTY"
run_mirelith -s -m "T90 Prime" -f fw.fls -p COM1 -b 123
expect_reason "$SIM_PTY: baud rate 123 is not supported" "Port Open Error. Port=COM1"

# Another program holds the device (a lock, as terminal programs take one).
flock -x "$SIM_PTY" sleep 60 &
holder=$!
sleep 0.3
run_mirelith -s -m "T90 Prime" -f fw.fls -p COM1
kill "$holder"; wait "$holder" 2>/dev/null || true
expect_reason "$SIM_PTY: busy: held by another program" "Port Open Error. Port=COM1"
stop_sim
unset MIRELITH_COM1

# Nothing listens on a port that was just free.
closed=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
run_mirelith -s -m "T90 Prime" -f fw.fls -p NET 127.0.0.1 -tcpport "$closed"
expect_reason "127.0.0.1:$closed: connection refused" "Socket Connect Error! ip=127.0.0.1, tcpport=$closed"

run_mirelith -s -m "T90 Prime" -f fw.fls -p NET printer.invalid
expect_reason "printer.invalid:9100: not an IP address" "Socket Connect Error! ip=printer.invalid, tcpport=9100"

# A printer that drops the request (a listener whose accept queue is full): SIGTERM ends the
# waiting connect at once.
start_dropping_listener "$WORK/dropper.port"
(cd "$WORK/run" && exec "$MIRELITH" -s -m "T90 Prime" -f fw.fls -p NET 127.0.0.1 -tcpport "$(cat "$WORK/dropper.port")") \
    >/dev/null 2>"$WORK/mirelith.err" &
run=$!
sleep 1.5
kill -0 "$run" 2>/dev/null || fail "the connect did not wait for the dropping printer"
start=$(date +%s%N)
kill -TERM "$run"
set +e; wait "$run"; STATUS=$?; set -e
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
kill "$dropper" 2>/dev/null || true
[ "$elapsed_ms" -lt 3000 ] || fail "SIGTERM took $elapsed_ms ms to end the connect"
[ "$STATUS" -ne 0 ] || fail "an interrupted connect reported success"
grep -qF "interrupted" "$WORK/mirelith.err" || { cat "$WORK/mirelith.err" >&2; fail "the end line does not say the connect was interrupted"; }
pass "SIGTERM ends a waiting connect"

# Permission denied names the group to join; the log of a program in a directory it may not
# write goes to the user's state directory.
if [ "$(id -u)" -ne 0 ] || ! getent group dialout >/dev/null || ! id nobody >/dev/null 2>&1; then
  echo "skipped: the permission case needs root, the group dialout and the user nobody" >&2
  exit 0
fi
mkdir -p "$WORK/dev" "$WORK/home"
mknod "$WORK/dev/ttyS0" c 4 64
chgrp dialout "$WORK/dev/ttyS0"
chmod 660 "$WORK/dev/ttyS0"
chown nobody "$WORK/home"
chmod 755 "$WORK" "$WORK/bin" "$WORK/run" "$WORK/dev"
chmod 644 "$WORK/run/fw.fls"
set +e
(cd "$WORK/run" && runuser -u nobody -- env HOME="$WORK/home" XDG_STATE_HOME= MIRELITH_COM1="$WORK/dev/ttyS0" \
    "$MIRELITH" -s -m "T90 Prime" -f fw.fls -p COM1) >/dev/null 2>"$WORK/mirelith.err"
STATUS=$?
set -e
LOG="$WORK/home/.local/state/mirelith/_QEM_NUV.txt"
expect_reason "$WORK/dev/ttyS0: permission denied; join the group dialout" "Port Open Error. Port=COM1"

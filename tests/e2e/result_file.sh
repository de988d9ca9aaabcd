#!/usr/bin/env bash
# --result FILE: one JSON object per silent run, for every way a run ends (sent, failed,
# invalid, interrupted, and no USB printer attached), written whole in place of an older one.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

RESULT="$WORK/results/r.json"
mkdir -p "$WORK/results"
make_image "$WORK/run/fw.fls" 200000
SHA=$(sha256sum "$WORK/run/fw.fls" | cut -d' ' -f1)
echo "an older result" >"$RESULT"

# sent: --result in front of -s, as a fleet tool would put it.
start_sim --tcp
run_mirelith --result "$RESULT" -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls
expect_status 0 "sent"
expect_received "$WORK/run/fw.fls"
expect_result "$RESULT" 'outcome="sent"' exit_status=0 log_line=null reason=null 'model="T90 Prime"' \
    model_code=1112 'port="NET"' "device=\"127.0.0.1:$SIM_TCP\"" 'file="fw.fls"' file_size=200000 \
    "sha256=\"$SHA\"" bytes_sent=200000
[ "$(ls -A "$WORK/results")" = "r.json" ] || fail "left beside the result: $(ls -A "$WORK/results")"
pass "sent"

# failed: a refused connection carries its log line and the system's reason.
start_sim --refuse
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls "--result=$RESULT"
expect_status 2 "refused"
expect_result "$RESULT" 'outcome="failed"' exit_status=2 \
    "log_line=\"Socket Connect Error! ip=127.0.0.1, tcpport=$SIM_TCP\"" bytes_sent=0 \
    "sha256=\"$SHA\""
python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); assert "refused" in r["reason"], r' \
    "$RESULT" || fail "no reason: $(cat "$RESULT")"
expect_log_lines "Socket Connect Error! ip=127.0.0.1, tcpport=$SIM_TCP"
rm -f "$LOG"
pass "failed"

# invalid: the settings never made a job, so only the outcome and the log line are known.
run_mirelith -s -p PRN --result "$RESULT"
expect_status 1 "invalid"
expect_result "$RESULT" 'outcome="invalid"' exit_status=1 'log_line="Invalid parameters"' model=null \
    port=null file=null sha256=null bytes_sent=0
expect_log_lines "Invalid parameters"
rm -f "$LOG"
pass "invalid"

# interrupted: the bytes the printer took before the signal.
start_sim --pty --stall-after 20000
(cd "$WORK/run" && MIRELITH_COM1="$SIM_PTY" exec "$MIRELITH" -q -s -p COM1 -m KAV -f fw.fls \
    --result "$RESULT" 2>/dev/null) &
pid=$!
sleep 1.5
kill -TERM "$pid"
set +e
wait "$pid"
STATUS=$?
set -e
expect_status 3 "interrupted"
expect_result "$RESULT" 'outcome="interrupted"' exit_status=3 'port="COM1"' "device=\"$SIM_PTY\"" \
    'model="KAV"' model_code=1111
python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); assert 0 < r["bytes_sent"] < 200000, r' \
    "$RESULT" || fail "bytes sent: $(cat "$RESULT")"
pass "interrupted"

# signal_run MODE ARGS... : runs the program with ARGS, its standard error a pipe, and sends it
# SIGTERM where a signal used to end the process outright (status 143, no result):
#   start  - the start line cannot be written (the pipe is full), before any run began;
#   twice  - once while the transfer blocks, and again while the end line cannot be written.
# Then empties the pipe and sets STATUS.
signal_run() {
  set +e
  (cd "$WORK/run" && exec python3 - "$@" <<'PY')
import os, signal, subprocess, sys, threading, time
mode, *argv = sys.argv[1:]
r, w = os.pipe()
# Its own open of the pipe: non-blocking for the filler alone, the program's end stays blocking.
filler = os.open(f"/proc/self/fd/{w}", os.O_WRONLY | os.O_NONBLOCK)
def fill():
    try:
        while True:
            os.write(filler, b"x" * 4096)
    except BlockingIOError:
        pass
if mode == "start":
    fill()
run = subprocess.Popen(argv, stderr=w, stdout=subprocess.DEVNULL)
os.close(w)
if mode == "twice":
    line = b""
    while not line.endswith(b"\n"):
        line += os.read(r, 1)
    time.sleep(1.0)
    fill()
    run.send_signal(signal.SIGTERM)
time.sleep(1.0)
run.send_signal(signal.SIGTERM)
time.sleep(0.5)
os.close(filler)
drained = threading.Thread(target=lambda: [None for _ in iter(lambda: os.read(r, 65536), b"")])
drained.start()
status = run.wait(timeout=30)
sys.exit(128 - status if status < 0 else status)
PY
  STATUS=$?
  set -e
}

# A signal before the run began (at start-up, while the image is read or hashed) still ends it
# as interrupted: nothing reaches the printer, the result is written.
start_sim --tcp
signal_run start "$MIRELITH" -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls \
    --result "$RESULT"
expect_status 3 "SIGTERM before the run began"
expect_result "$RESULT" 'outcome="interrupted"' exit_status=3 bytes_sent=0 log_line=null
stop_sim
[ ! -s "$WORK/received.bin" ] || fail "the printer got bytes of a run that never began"
pass "a signal before the run began ends it as interrupted, with a result"

# A second signal after the run ended (the result not yet written) does not end the process
# either; the bytes are those the connection took before the printer stopped reading.
make_image "$WORK/run/huge.fls" 20000000
start_sim --tcp --stall-after 100000
signal_run twice "$MIRELITH" -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f huge.fls \
    --result "$RESULT"
expect_status 3 "two SIGTERMs"
expect_result "$RESULT" 'outcome="interrupted"' exit_status=3 'file="huge.fls"' file_size=20000000
python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); assert 100000 <= r["bytes_sent"] < 20000000, r' \
    "$RESULT" || fail "bytes sent: $(cat "$RESULT")"
pass "a second signal while the result is due still leaves the result; the bytes taken are counted"

# A connection the printer drops part-way: the bytes it took before, not 0.
start_sim --tcp --close-after 100000
run_mirelith -s -q -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f huge.fls --result "$RESULT"
expect_status 2 "dropped connection"
expect_result "$RESULT" 'outcome="failed"' exit_status=2 'log_line="Write Failed!"'
python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); assert 100000 <= r["bytes_sent"] < 20000000, r' \
    "$RESULT" || fail "bytes sent: $(cat "$RESULT")"
rm -f "$LOG"
pass "a dropped connection counts the bytes it took"

# SIGTERM while the connect waits for a printer that drops the request: interrupted, not failed.
start_dropping_listener "$WORK/dropper.port"
(cd "$WORK/run" && exec "$MIRELITH" -s -q -p NET 127.0.0.1 -tcpport "$(cat "$WORK/dropper.port")" \
    -m "T90 Prime" -f fw.fls --result "$RESULT" 2>"$WORK/mirelith.err") &
pid=$!
sleep 1.5
kill -TERM "$pid"
set +e; wait "$pid"; STATUS=$?; set -e
kill "$dropper" 2>/dev/null || true
expect_status 3 "SIGTERM during the connect"
expect_result "$RESULT" 'outcome="interrupted"' exit_status=3 bytes_sent=0
grep -q "^mirelith: interrupted by SIGTERM before anything was sent" "$WORK/mirelith.err" ||
  fail "interrupt line: $(cat "$WORK/mirelith.err")"
rm -f "$LOG"
pass "SIGTERM during the connect ends the run as interrupted"

# No USB printer of the model attached: start-up ends before any run, still with a result.
mkdir -p "$WORK/sysfs/bus/usb/devices"
MIRELITH_SYSFS_ROOT="$WORK/sysfs" run_mirelith -s -p USB -m "T90 Prime" -f fw.fls --result "$RESULT"
expect_status 2 "no USB printer"
expect_result "$RESULT" 'outcome="failed"' exit_status=2 log_line=null 'port="USB"' device=null \
    'model="T90 Prime"' model_code=1112 "sha256=\"$SHA\"" bytes_sent=0 \
    'reason="no attached USB printer belongs to model 1112"'
grep -q "failed: no attached USB printer belongs to T90 Prime (model 1112)" "$WORK/mirelith.err" ||
  fail "no terminal line for the missing USB printer: $(cat "$WORK/mirelith.err")"
pass "no USB printer"

# A result file that cannot be written is said on the terminal; the exit status stays the run's.
start_sim --tcp
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls \
    --result "$WORK/no-such-dir/r.json"
expect_status 0 "unwritable result"
grep -q "the result file was not written: .*no-such-dir" "$WORK/mirelith.err" ||
  fail "unwritable result not reported: $(cat "$WORK/mirelith.err")"
pass "an unwritable result file is reported, the run's status kept"

#!/usr/bin/env bash
# What the Linux program says on the terminal: help and version, one start and one end line per
# silent run, a bar redrawn in place only when standard error is a terminal, failures with their
# reason and log place, -q, and an interrupted run's byte count.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
command -v script >/dev/null || { echo "script(1) not installed" >&2; exit 77; }

ERR="$WORK/mirelith.err"
expect_err() { grep -qF -- "$1" "$ERR" || fail "$2: no [$1] in: $(cat -A "$ERR")"; }
expect_lines() {
  [ "$(wc -l <"$ERR")" -eq "$1" ] || fail "$2: $(wc -l <"$ERR") lines, expected $1: $(cat -A "$ERR")"
}

# --help, -h and --version answer on standard output and exit 0, ahead of any other word.
VERSION=$(sed -n 's/^project(Mirelith VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
for words in "--help" "-h" "-s -p NET 127.0.0.1 --help"; do
  # shellcheck disable=SC2086
  run_mirelith $words
  expect_status 0 "$words"
  for text in "Usage: mirelith -s" "-tcpport PORT" '\\.\COMn' "/dev/usb/lp*" "MIRELITH_COMn" \
      "MIRELITH_SYSFS_ROOT" "CUPS_SERVER" "XDG_STATE_HOME" "FWNAME=" "3  interrupted" "$LOG"; do
    grep -qF -- "$text" "$WORK/mirelith.out" || fail "help ($words) lacks [$text]"
  done
  grep -q '^  "T90 Prime" *1112$' "$WORK/mirelith.out" || fail "help ($words) lacks the model codes"
done
run_mirelith --version
expect_status 0 "--version"
grep -qx "mirelith $VERSION" "$WORK/mirelith.out" || fail "version: $(cat "$WORK/mirelith.out")"
grep -q "^built with " "$WORK/mirelith.out" || fail "no build line: $(cat "$WORK/mirelith.out")"
pass "--help, -h and --version exit 0"

# Through a pipe: a start line, a line when the settle phase begins, an end line; no carriage
# return.
make_image "$WORK/run/fw.fls" 300000
start_sim --tcp
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls
expect_status 0 "piped run"
expect_received "$WORK/run/fw.fls"
expect_lines 3 "piped run"
expect_err "mirelith: sending fw.fls (300,000 bytes) to T90 Prime (model 1112) on NET (127.0.0.1:$SIM_TCP); settings from the command line" "start line"
expect_err "mirelith: the printer is writing its firmware: 0:09 left" "settle line"
expect_err "mirelith: done: 300,000 bytes sent in " "end line"
! grep -q $'\r' "$ERR" || fail "carriage return on a pipe"
expect_no_log
pass "a pipe gets the start, settle and end lines only"

# Standard error a pipe nobody reads any more: the run still completes, logs and writes its
# result (the lines are lost, not the run).
start_sim --refuse
(cd "$WORK/run" && python3 - "$MIRELITH" "$SIM_TCP" >"$WORK/status" <<'PY'
import os, subprocess, sys
r, w = os.pipe()
os.close(r)
done = subprocess.run([sys.argv[1], "-s", "-p", "NET", "127.0.0.1", "-tcpport", sys.argv[2],
                       "-m", "T90 Prime", "-f", "fw.fls", "--result", "r.json"], stderr=w)
print(done.returncode)
PY
)
[ "$(cat "$WORK/status")" = 2 ] || fail "closed stderr pipe: status $(cat "$WORK/status")"
expect_log_lines "Socket Connect Error! ip=127.0.0.1, tcpport=$SIM_TCP"
grep -q '"outcome": "failed"' "$WORK/run/r.json" || fail "no result with a closed stderr pipe"
rm -f "$LOG" "$WORK/run/r.json"
pass "a closed standard error does not end the run"

# The INI file decides, and the start line says the command line was ignored.
start_sim --tcp
printf '[NUV]\nPORTTYPE=NET\nIP=127.0.0.1\nTCPPORT=%s\nMODELNAME=KAV_T90\nFWNAME=fw.fls\n' \
    "$SIM_TCP" >"$WORK/run/qemnuv.ini"
run_mirelith -s -p COM1
expect_status 0 "INI run"
expect_err "to KAV_T90 (model 1111) on NET (127.0.0.1:$SIM_TCP); settings from qemnuv.ini (the command line is ignored while it exists)" "INI start line"
rm "$WORK/run/qemnuv.ini"
pass "the start line names qemnuv.ini as the source"

# Through a terminal (a serial run to the simulator's pseudo-terminal): the bar is redrawn in
# place with rate and time left, then the settle countdown, then the end line.
start_sim --pty
set +e
(cd "$WORK/run" && MIRELITH_COM1="$SIM_PTY" timeout 120 script -qec \
    "'$MIRELITH' -s -p COM1 -m KAV -f fw.fls; echo \"status=\$?\"" /dev/null) >"$ERR" 2>&1
set -e
expect_err "status=0" "terminal run"
expect_received "$WORK/run/fw.fls"
expect_err "on COM1 ($SIM_PTY)" "serial start line"
bars=$(grep -o $'\r\\[[=> ]*\\] *[0-9]*%' "$ERR" | wc -l)
[ "$bars" -ge 3 ] || fail "the bar was drawn $bars times: $(cat -A "$ERR" | head -c 2000)"
grep -q 'KiB/s  0:0[0-9] left' "$ERR" || fail "no rate and time left: $(cat -A "$ERR" | head -c 2000)"
expect_err $'\rthe printer is writing its firmware: 0:0' "settle countdown"
grep -q $'\rmirelith: done: 300,000 bytes sent' "$ERR" || fail "end line not on a cleared line"
pass "a terminal gets a bar redrawn in place and the settle countdown"

# -q: nothing for a success, one line for a failure with the log place.
start_sim --tcp
run_mirelith -q -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls
expect_status 0 "quiet run"
[ ! -s "$ERR" ] || fail "-q printed: $(cat "$ERR")"
start_sim --refuse
run_mirelith -s -q -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls
expect_status 2 "quiet refused run"
expect_lines 1 "quiet refused run"
expect_err "mirelith: failed: Socket Connect Error! ip=127.0.0.1, tcpport=$SIM_TCP" "refused end line"
expect_err "; logged to $LOG" "refused end line"
expect_log_lines "Socket Connect Error! ip=127.0.0.1, tcpport=$SIM_TCP"
rm -f "$LOG"
pass "-q keeps only the failure, with the log place"

# Invalid parameters say so and where the log line went; the log keeps its own text.
run_mirelith -s -p PRN
expect_status 1 "invalid run"
expect_err "mirelith: invalid parameters (\"Invalid parameters\"): -p PRN: not a port: COM1-COM256, LPT1-LPT256, USB, NET <address> or a device path; logged to $LOG" "invalid line"
expect_log_lines "Invalid parameters"
rm -f "$LOG"
pass "invalid parameters are explained"

# An interrupted serial run tells how far it got and that the printer may need a power cycle.
start_sim --pty --stall-after 20000
(cd "$WORK/run" && MIRELITH_COM1="$SIM_PTY" exec "$MIRELITH" -s -p COM1 -m KAV -f fw.fls \
    2>"$ERR") &
pid=$!
sleep 1.5
kill -TERM "$pid"
set +e
wait "$pid"
STATUS=$?
set -e
expect_status 3 "interrupted run"
grep -q "mirelith: interrupted by SIGTERM after [0-9,]* of 300,000 bytes; the printer may need a power cycle" "$ERR" ||
  fail "interrupt line: $(cat "$ERR")"
pass "an interrupted run says how many bytes were sent"

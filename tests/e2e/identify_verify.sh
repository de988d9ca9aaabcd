#!/usr/bin/env bash
# The printer's own word, against printer-sim over TCP: --identify asks who it is and sends
# nothing else; --verify waits for its restart after an update and asks its version again: an
# update that takes, a printer back with its old version, and one that never comes back (bounded
# by --verify-timeout).
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
make_image "$WORK/run/fw.fls" 65536

start_sim --tcp --version 1.20 --maker Voranex --model "T90 Prime"
run_mirelith --identify -p NET 127.0.0.1 -tcpport "$SIM_TCP" --result "$WORK/id.json"
expect_status 0 "identify"
[ "$(cat "$WORK/mirelith.out")" = "firmware: 1.20
maker: Voranex
model: T90 Prime
serial: unknown" ] || fail "identify lines: $(cat "$WORK/mirelith.out")"
python3 - "$WORK/id.json" "$SIM_TCP" <<'PY' || fail "identify result: $(cat "$WORK/id.json")"
import json, sys
r = json.load(open(sys.argv[1]))
assert (r["firmware"], r["maker"], r["model"], r["serial"]) == ("1.20", "Voranex", "T90 Prime", None), r
assert (r["port"], r["device"], r["exit_status"]) == ("NET", "127.0.0.1:" + sys.argv[2], 0), r
PY
stop_sim
[ ! -s "$WORK/received.bin" ] || fail "identify sent image bytes"
start_sim --tcp
run_mirelith --identify -p NET 127.0.0.1 -tcpport "$SIM_TCP"
expect_status 5 "a printer that does not say its version"
grep -q "the printer did not say its firmware version" "$WORK/mirelith.err" || fail "no reason given"
stop_sim
run_mirelith --identify -p NET 127.0.0.1 -tcpport "$SIM_TCP"
expect_status 2 "identify with nothing listening"
pass "identify says who the printer is, or why not"

# An update that takes: 1.20 before, 2.00 after a restart of 2 s.
start_sim --tcp --version 1.20 --restart-seconds 2 --version-after 2.00
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls --verify \
  --expect-version 2.00 --result "$WORK/r.json"
expect_status 0 "a verified update"
grep -q "^mirelith: printer firmware 1.20 -> 2.00$" "$WORK/mirelith.err" || fail "no version line: $(cat "$WORK/mirelith.err")"
grep -q "waiting for the printer to restart" "$WORK/mirelith.err" || fail "the wait is not said"
expect_result "$WORK/r.json" outcome='"sent"' exit_status=0 printer_version_before='"1.20"' \
  printer_version_after='"2.00"' verified=true
expect_received "$WORK/run/fw.fls"
expect_no_log
pass "an update the printer confirms is verified"

# Back with its old version: unchanged is said; with an expected version it is not verified.
start_sim --tcp --version 1.20 --restart-seconds 1
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls --verify
expect_status 0 "back unchanged, nothing expected"
grep -q "^mirelith: printer firmware 1.20 -> 1.20 (unchanged)$" "$WORK/mirelith.err" || fail "unchanged not said"
start_sim --tcp --version 1.20 --restart-seconds 1
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls \
  --expect-version 2.00 --result "$WORK/r.json"
expect_status 5 "back with the old version"
expect_log_lines "Firmware not verified: printer reports 1.20, expected 2.00"
expect_result "$WORK/r.json" outcome='"unverified"' exit_status=5 verified=false \
  printer_version_after='"1.20"'
rm -f "$LOG"
pass "an unchanged version is said, and fails an expected one"

# Never back: the wait is bounded by --verify-timeout.
start_sim --tcp --version 1.20 --never-back
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls --verify \
  --verify-timeout 3 --result "$WORK/r.json"
expect_status 5 "never back"
expect_log_lines "Firmware not verified: no answer within 3 s"
expect_result "$WORK/r.json" outcome='"unverified"' printer_version_before='"1.20"' \
  printer_version_after=null verified=false
rm -f "$LOG"
run_mirelith -s -p NET 127.0.0.1 -tcpport 1 -m "T90 Prime" -f fw.fls --verify-timeout x
expect_status 1 "a timeout that is no number"
grep -q -- "--verify-timeout x: not a number of seconds" "$WORK/mirelith.err" || fail "bad timeout not explained"
pass "a printer that never comes back is not verified within the time given"

# Over a serial line (a pseudo-terminal): the port is opened again after the transfer to ask.
start_sim --pty --version 1.20 --restart-seconds 2 --version-after 2.00
MIRELITH_COM1="$SIM_PTY" run_mirelith -s -p COM1 -m "T90 Prime" -f fw.fls --expect-version 2.00
expect_status 0 "a verified serial update"
grep -q "^mirelith: printer firmware 1.20 -> 2.00$" "$WORK/mirelith.err" || fail "no serial version line: $(cat "$WORK/mirelith.err")"
expect_received "$WORK/run/fw.fls"
pass "a serial update is verified by the printer's word"

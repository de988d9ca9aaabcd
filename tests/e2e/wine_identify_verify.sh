#!/usr/bin/env bash
# The printer's own word through the Windows programs under Wine, against printer-sim over TCP:
# the console twin's --identify (its lines, its result, 2 when nothing listens) and its --verify
# of an update that takes; mirelith.exe's --verify of a printer back with its old version (5, the
# log line, the result). The Windows build is "$1/../build-win", or MIRELITH_WIN_BUILD.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
wine_init
cp "$WIN_BUILD/main/mirelith.com" "$WORK/bin/mirelith.com"

# run_com ARGS... : the console twin in the run directory; sets STATUS, output without carriage
# returns in mirelith.out and .err.
run_com() {
  set +e
  (cd "$WORK/run" && timeout 180 wine "$WORK/bin/mirelith.com" "$@") >"$WORK/raw.out" 2>"$WORK/raw.err"
  STATUS=$?
  set -e
  tr -d '\r' <"$WORK/raw.out" >"$WORK/mirelith.out"
  tr -d '\r' <"$WORK/raw.err" >"$WORK/mirelith.err"
}

start_sim --tcp --version 1.20 --maker Voranex --model "T90 Prime"
run_com --identify -p NET 127.0.0.1 -tcpport "$SIM_TCP" --result id.json
expect_status 0 "identify"
[ "$(cat "$WORK/mirelith.out")" = "firmware: 1.20
maker: Voranex
model: T90 Prime
serial: unknown" ] || fail "identify lines: $(cat "$WORK/mirelith.out")"
python3 - "$WORK/run/id.json" "$SIM_TCP" <<'PY' || fail "identify result: $(cat "$WORK/run/id.json")"
import json, sys
r = json.load(open(sys.argv[1]))
assert (r["firmware"], r["maker"], r["model"], r["serial"]) == ("1.20", "Voranex", "T90 Prime", None), r
assert (r["port"], r["device"], r["exit_status"]) == ("NET", "127.0.0.1:" + sys.argv[2], 0), r
PY
stop_sim
[ ! -s "$WORK/received.bin" ] || fail "identify sent image bytes"
run_com --identify -p NET 127.0.0.1 -tcpport "$SIM_TCP"
expect_status 2 "identify with nothing listening"
grep -q "127.0.0.1:$SIM_TCP: connection refused" "$WORK/mirelith.err" ||
  fail "no reason: $(cat "$WORK/mirelith.err")"
pass "mirelith.com --identify says who the printer is, or 2 when it cannot be reached"

make_image "$WORK/run/fw.fls" 65536
start_sim --tcp --version 1.20 --restart-seconds 2 --version-after 2.00
run_com -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls --verify \
  --expect-version 2.00 --result r.json
expect_status 0 "a verified update"
grep -q "^mirelith: printer firmware 1.20 -> 2.00$" "$WORK/mirelith.err" ||
  fail "no version line: $(cat "$WORK/mirelith.err")"
expect_result "$WORK/run/r.json" outcome='"sent"' exit_status=0 printer_version_before='"1.20"' \
  printer_version_after='"2.00"' verified=true
expect_received "$WORK/run/fw.fls"
expect_no_log
pass "mirelith.com --verify: an update the printer confirms is verified"

start_sim --tcp --version 1.20 --restart-seconds 1
run_exe -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls \
  --expect-version 2.00 --result r.json
expect_status 5 "back with the old version"
expect_log_lines "Firmware not verified: printer reports 1.20, expected 2.00"
expect_result "$WORK/run/r.json" outcome='"unverified"' exit_status=5 verified=false \
  printer_version_before='"1.20"' printer_version_after='"1.20"'
pass "mirelith.exe: a printer back with its old version is not verified"

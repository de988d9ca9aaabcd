#!/usr/bin/env bash
# The Windows build under Wine: a printer that reads part of the image and resets the connection
# after every send has succeeded fails the run; the count is no more than the printer took. A slow
# printer that takes everything, and one that closes once it has everything, are sent.
# The Windows build is "$1/../build-win", or MIRELITH_WIN_BUILD when set.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
wine_init

make_image "$WORK/run/KAV_T90_060125.fls" 262144
start_sim --tcp --reset-after 100000 --receive-buffer 16384
run_exe -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f KAV_T90_060125.fls \
    --result result.json
expect_status 2 "a printer that resets after 100,000 bytes, under Wine"
expect_log_lines "Write Failed!"
expect_result "$WORK/run/result.json" 'outcome="failed"' exit_status=2 'log_line="Write Failed!"'
stop_sim
took=$(sed -n 's/^printer-sim: reset after reading \([0-9]*\) image bytes, \([0-9]*\) more unread$/\1 \2/p' \
    "$WORK/sim.err")
[ -n "$took" ] || fail "the printer did not reset: $(cat "$WORK/sim.err")"
python3 - "$WORK/run/result.json" $took <<'PY' || fail "result: $(cat "$WORK/run/result.json")"
import json, sys
r = json.load(open(sys.argv[1]))
assert r["bytes_sent"] <= int(sys.argv[2]) + int(sys.argv[3]), r["bytes_sent"]
assert "broke the connection" in r["reason"], r["reason"]
PY
pass "Windows build: a reset after the last send is a failure"

start_sim --tcp --read-pace 8192/100 --receive-buffer 16384
run_exe -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f KAV_T90_060125.fls \
    --result result.json
expect_status 0 "a slow printer under Wine"
expect_received "$WORK/run/KAV_T90_060125.fls"
expect_result "$WORK/run/result.json" 'outcome="sent"' exit_status=0 bytes_sent=262144
pass "Windows build: a slow printer that takes everything is sent"

# A printer that reads the whole image and closes its side at once (as one that restarts to write
# it may): Wine says a reset and such a close alike, and only the reset is a failure.
start_sim --tcp --close-after 262144 --receive-buffer 16384
run_exe -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f KAV_T90_060125.fls \
    --result result.json
expect_status 0 "a printer that closes after taking everything, under Wine"
expect_received "$WORK/run/KAV_T90_060125.fls"
expect_result "$WORK/run/result.json" 'outcome="sent"' exit_status=0 bytes_sent=262144
pass "Windows build: a printer that closes after taking everything is sent"

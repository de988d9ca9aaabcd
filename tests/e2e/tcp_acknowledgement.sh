#!/usr/bin/env bash
# A network download is "sent" only when the printer took the whole image. A printer that reads
# part of it and resets the connection fails the run even though every send had succeeded (the
# image fits in the socket buffers), and the count is what the printer acknowledged; a slow
# printer that takes everything, past the end of the settle phase, still has its image.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
RESULT="$WORK/r.json"

# check_reset_result : the result counts no more than the printer's side took (what it read and
# what was still waiting unread when it reset) and less than the image.
check_reset_result() {
  local took
  took=$(sed -n 's/^printer-sim: reset after reading \([0-9]*\) image bytes, \([0-9]*\) more unread$/\1 \2/p' \
      "$WORK/sim.err")
  [ -n "$took" ] || fail "the printer did not reset: $(cat "$WORK/sim.err")"
  python3 - "$RESULT" $took "$1" <<'PY' || fail "result: $(cat "$RESULT")"
import json, sys
r = json.load(open(sys.argv[1]))
read, unread, image = int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
assert r["bytes_sent"] <= read + unread, (r["bytes_sent"], read, unread)
assert r["bytes_sent"] < image
assert "broke the connection" in r["reason"], r["reason"]
PY
}

make_image "$WORK/run/KAV_T90_060125.fls" 262144
start_sim --tcp --reset-after 100000 --receive-buffer 16384
run_mirelith --result "$RESULT" -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" \
    -f KAV_T90_060125.fls
expect_status 2 "a printer that resets after 100,000 bytes"
expect_log_lines "Write Failed!"
expect_result "$RESULT" 'outcome="failed"' exit_status=2 'log_line="Write Failed!"'
stop_sim
check_reset_result 262144
grep -q '^mirelith: failed: Write Failed! (127.0.0.1:[0-9]*: the printer broke the connection (Connection reset by peer)); [0-9,]* of 262,144 bytes sent' \
    "$WORK/mirelith.err" || fail "stderr: $(cat "$WORK/mirelith.err")"
rm -f "$LOG"
pass "a reset after the last send is a failure, counting what the printer acknowledged"

# A large image: the send itself fails, and the count is still the printer's, not the socket's.
make_image "$WORK/run/big.fls" 4194304
start_sim --tcp --reset-after 100000 --receive-buffer 16384
run_mirelith --result "$RESULT" -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f big.fls
expect_status 2 "a large image to a printer that resets"
expect_log_lines "Write Failed!"
stop_sim
check_reset_result 4194304
rm -f "$LOG"
pass "a reset during the send counts what the printer acknowledged"

# 2 KiB every 150 ms: about 19 s for the image, well past the 8.6 s settle phase.
start_sim --tcp --read-pace 2048/150 --receive-buffer 16384
started=$(date +%s)
run_mirelith --result "$RESULT" -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" \
    -f KAV_T90_060125.fls
elapsed=$(( $(date +%s) - started ))
expect_status 0 "a slow printer"
expect_received "$WORK/run/KAV_T90_060125.fls"
expect_result "$RESULT" 'outcome="sent"' exit_status=0 bytes_sent=262144 reason=null
[ "$elapsed" -ge 15 ] || fail "the slow printer took only ${elapsed}s: the test does not wait past the settle phase"
expect_no_log
pass "a slow printer that takes everything is sent (${elapsed}s)"

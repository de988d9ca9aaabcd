#!/usr/bin/env bash
# Printers that stop reading part-way through a silent run: the run ends within its write limits
# with its report in the log and exit status 2. (Refused connections, printers that go away and
# unusable files are refusals the engine's unit tests and the other silent_* scripts cover.)
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

make_image "$WORK/run/fw.fls" 400000

# A printer that stops reading: the port gives up after its write time limit.
start_sim --pty --stall-after 20000
export MIRELITH_COM1="$SIM_PTY"
started=$(date +%s)
run_mirelith -s -p COM1 -m "T90 Prime" -f fw.fls
elapsed=$(( $(date +%s) - started ))
expect_status 2 "stalled serial printer"
expect_log_lines "Write Failed!"
[ "$elapsed" -lt 60 ] || fail "stalled run took ${elapsed}s"
stop_sim
rm "$LOG"
pass "stalled serial printer (${elapsed}s)"

# A network printer that stops reading: the send gives up once nothing has gone out for 30 s
# (the image is far larger than the socket buffers, so the send really blocks).
make_image "$WORK/run/huge.fls" 20000000
start_sim --tcp --stall-after 100000
started=$(date +%s)
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f huge.fls
elapsed=$(( $(date +%s) - started ))
expect_status 2 "stalled network printer"
expect_log_lines "Write Failed!"
[ "$elapsed" -lt 90 ] || fail "stalled network run took ${elapsed}s"
stop_sim
rm "$LOG"
pass "stalled network printer (${elapsed}s)"

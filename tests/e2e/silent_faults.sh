#!/usr/bin/env bash
# Printers and files that fail a silent run: each gives its report in the log, exit status 2,
# and the run ends within its limits.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

make_image "$WORK/run/fw.fls" 400000

# Refused connection.
start_sim --refuse
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls
expect_status 2 "refused connection"
expect_log_lines "Socket Connect Error! ip=127.0.0.1, tcpport=$SIM_TCP"
rm "$LOG"
pass "refused connection"

# A printer that drops the connection part-way through a large image.
make_image "$WORK/run/big.fls" 16000000
start_sim --tcp --close-after 100000
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f big.fls
expect_status 2 "closing TCP printer"
expect_log_lines "Write Failed!"
rm "$LOG"
pass "TCP printer closing mid-transfer"

# The same over the serial line: the pseudo-terminal goes away after 50000 bytes.
start_sim --pty --close-after 50000
export MIRELITH_COM1="$SIM_PTY"
run_mirelith -s -p COM1 -m "T90 Prime" -f fw.fls
expect_status 2 "closing serial printer"
expect_log_lines "Write Failed!"
[ "$(stat -c %s "$WORK/received.bin")" -eq 50000 ] || fail "received $(stat -c %s "$WORK/received.bin")"
rm "$LOG"
pass "serial printer closing mid-transfer"

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

# A port that cannot be opened.
export MIRELITH_COM7="$WORK/no-such-device"
run_mirelith -s -p COM7 -m "T90 Prime" -f fw.fls
expect_status 2 "port open error"
expect_log_lines "Port Open Error. Port=COM7"
rm "$LOG"
pass "port that cannot be opened"

# Files that cannot be used: missing, a directory, read-only (unless we may write anyway).
start_sim --tcp
mkdir "$WORK/run/adir.fls"
cp "$WORK/run/fw.fls" "$WORK/run/ro.fls"
chmod 0444 "$WORK/run/ro.fls"
names=(missing.fls adir.fls)
if ! (: >>"$WORK/run/ro.fls") 2>/dev/null; then names+=(ro.fls); fi
for name in "${names[@]}"; do
  run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f "$name"
  expect_status 2 "file $name"
  expect_log_lines "File Open Error. filename=$WORK/run/$name"
  rm "$LOG"
done
pass "unusable firmware files: ${names[*]}"

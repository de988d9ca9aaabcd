#!/usr/bin/env bash
# The Windows build under Wine: a silent TCP run to printer-sim (the hidden window's timers
# drive the engine), and a refused connection whose report goes to the log beside the exe.
# The Windows build is "$1/../build-win", or MIRELITH_WIN_BUILD when set.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
wine_init

make_image "$WORK/run/fw.fls" 250000
start_sim --tcp
run_exe -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls
expect_status 0 "silent TCP run under Wine"
expect_received "$WORK/run/fw.fls"
expect_no_log
pass "Windows build: silent TCP run"

start_sim --refuse
run_exe -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls
expect_status 2 "refused connection under Wine"
head -c 15 "$LOG" | cmp -s - <(printf 'VORANEX NUV\r\n\r\n') || fail "log header: $(head -c 40 "$LOG" | od -c)"
expect_log_lines "Socket Connect Error! ip=127.0.0.1, tcpport=$SIM_TCP"
pass "Windows build: refused connection logged beside the exe"

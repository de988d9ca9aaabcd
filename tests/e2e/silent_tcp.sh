#!/usr/bin/env bash
# Silent runs over TCP to printer-sim, from a command line and from an INI file.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

make_image "$WORK/run/fw.fls" 300000
start_sim --tcp
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls
expect_status 0 "command-line TCP run"
expect_received "$WORK/run/fw.fls"
expect_no_log # a successful run reports only trace notes, which are never written
pass "command line over TCP"

make_image "$WORK/run/KAV_T90_010226.fls" 70001
start_sim --tcp
printf '[NUV]\r\nPORTTYPE=NET\r\nIP=127.0.0.1\r\nTCPPORT=%s\r\nMODELNAME=KAV_T90\r\nFWNAME=KAV_T90_010226.fls\r\n' \
    "$SIM_TCP" >"$WORK/run/qemnuv.ini"
run_mirelith -s -p NET 10.255.255.1 -f ignored.fls # the INI file alone decides
expect_status 0 "INI TCP run"
expect_received "$WORK/run/KAV_T90_010226.fls"
rm "$WORK/run/qemnuv.ini"
pass "INI file over TCP"

# An empty image is no firmware: it cannot be opened as one, and nothing reaches the printer.
: >"$WORK/run/empty.fls"
start_sim --tcp
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f empty.fls
expect_status 2 "empty image"
expect_received "$WORK/run/empty.fls"
expect_log_lines "File Open Error. filename=$WORK/run/empty.fls"
rm -f "$LOG"
pass "empty image is a file open error"

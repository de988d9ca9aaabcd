#!/usr/bin/env bash
# Silent runs over a serial port: COM1 pointed at printer-sim's pseudo-terminal.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

make_image "$WORK/run/fw.fls" 200003 # not a multiple of the 4096-byte packet
start_sim --pty
export MIRELITH_COM1="$SIM_PTY"
run_mirelith -s -p COM1 -m "T90 Prime" -f fw.fls
expect_status 0 "command-line serial run"
expect_received "$WORK/run/fw.fls"
expect_no_log
pass "command line over a pseudo-terminal"

# The Windows form of the higher port numbers, from an INI file with a baud rate.
make_image "$WORK/run/KEW_T90_120525.fls" 9000
start_sim --pty
export MIRELITH_COM12="$SIM_PTY"
printf '[NUV]\nPORTTYPE=COM12\nBAUDRATE=57600\nMODELNAME=KEW_T90\nFWNAME=KEW_T90_120525.fls\n' \
    >"$WORK/run/qemnuv.ini"
run_mirelith
expect_status 0 "INI serial run"
expect_received "$WORK/run/KEW_T90_120525.fls"
rm "$WORK/run/qemnuv.ini"
pass "INI file over \\\\.\\COM12"

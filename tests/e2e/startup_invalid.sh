#!/usr/bin/env bash
# Start-up of the Linux binary: invalid settings end with exit status 1 and the exact log
# bytes beside the program; the INI file in the current directory decides over the command
# line; an interactive run and a USB run without a device write nothing to the log.
# Usage: startup_invalid.sh BUILD_DIR
set -euo pipefail
BUILD=$(cd "$1" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/mirelith-startup.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/bin" "$WORK/run"
cp "$BUILD/main/mirelith" "$WORK/bin/mirelith"
# The window's program beside it, where the build has one: an interactive start is handed to it.
[ ! -x "$BUILD/main/mirelith-gui" ] || cp "$BUILD/main/mirelith-gui" "$WORK/bin/"
PROG="$WORK/bin/mirelith"
LOG="$WORK/bin/_QEM_NUV.txt"
fail() { echo "FAIL: $*" >&2; exit 1; }

run() { # run EXPECTED_STATUS ARGS... (in $WORK/run)
  local expected=$1; shift
  local status=0
  (cd "$WORK/run" && "$PROG" "$@" >"$WORK/out" 2>"$WORK/err") || status=$?
  [ "$status" = "$expected" ] || fail "mirelith ${1:0:40}... exited $status, expected $expected"
}

# The log must be: header, empty line, then per run one timestamped line and an empty line.
check_log() { # check_log TEXT... (one per run)
  local stamp='\[[0-9]{4}/[0-9]{2}/[0-9]{2}-[0-9]{2}:[0-9]{2}:[0-9]{2}\]'
  local expected="VORANEX NUV\r\n\r\n" line
  for line in "$@"; do expected+="STAMP  $line\r\n\r\n"; done
  local actual
  actual=$(sed -E "s#$stamp#STAMP#g" "$LOG" | od -An -c | tr -s ' \n' ' ')
  local wanted
  wanted=$(printf "$expected" | od -An -c | tr -s ' \n' ' ')
  [ "$actual" = "$wanted" ] || { od -c "$LOG" >&2; fail "log bytes differ"; }
  grep -Eq "^$stamp  " "$LOG" || fail "timestamp format"
}

# 1. Interactive without a display: no settings, nothing logged, one line on stderr saying why
# and how to run silently, exit status 4.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
run 4
[ ! -e "$LOG" ] || fail "interactive run wrote a log"
[ "$(wc -l <"$WORK/err")" = 1 ] || fail "interactive run: expected one stderr line"
grep -Eq "(no display for the window|the window is not installed).*mirelith -s -p" "$WORK/err" ||
  fail "interactive run: no reason and no hint at a silent run"

# 2. Invalid command line: exit 1, log created with header and one line.
run 1 -s -p PRN
[ ! -s "$WORK/out" ] || fail "invalid run printed on stdout"
check_log "Invalid parameters"

# 3. A second invalid run appends; the header is not repeated.
run 1 -s -b 9600 -p COM1
check_log "Invalid parameters" "Invalid parameters"

# 4. An INI file in the current directory wins over a valid command line.
mkdir -p "$WORK/run/sub"
printf '[NUV]\r\nPORTTYPE=COM1\r\nMODELNAME=kav-100\r\n' >"$WORK/run/qemnuv.ini"
run 1 -s -p COM1 -m KAV-100 -f KAV-100_V1_031512.fls
check_log "Invalid parameters" "Invalid parameters" "Invalid parameters"

# 5. The INI file is looked for in the current directory, not the program's: from another
#    directory the same command line is a silent run (which finds no printer on COM12 and
#    no firmware file, so it ends with status 2, but not as an invalid run). A second copy
#    of the program keeps that run's log apart.
mkdir -p "$WORK/bin2"
cp "$PROG" "$WORK/bin2/mirelith"
status=0
(cd "$WORK/run/sub" && "$WORK/bin2/mirelith" -s -p com12 -m KAV-100 -f KAV-100_V1_031512.fls \
    >"$WORK/out" 2>"$WORK/err") || status=$?
[ "$status" != 1 ] || fail "a valid command line beside no INI file was taken as invalid"
! grep -q "Invalid parameters" "$WORK/bin2/_QEM_NUV.txt" 2>/dev/null ||
  fail "valid command line logged Invalid parameters"

# 6. A qemnuv.ini that exists but cannot be read (here: a directory) is an invalid run.
rm "$WORK/run/qemnuv.ini"
mkdir "$WORK/run/qemnuv.ini"
run 1
check_log "Invalid parameters" "Invalid parameters" "Invalid parameters" "Invalid parameters"
rmdir "$WORK/run/qemnuv.ini"

# 7. Silent USB run without a device: the message on stderr, nothing logged, exit status 2.
touch "$WORK/run/KAV-9_V1_010124.fls"
cp "$LOG" "$WORK/log.before"
run 2 -s
grep -qx "QEM_NUV: Not connected Printer using usb<KAV-9>" "$WORK/err" || fail "USB message"
cmp -s "$LOG" "$WORK/log.before" || fail "USB run changed the log"

# 8. Bad input: a 100 MB INI file of zeros, a 100 KB argument (near the kernel's limit for
#    one argument); no crash, the run modes as for any other bad input.
head -c 104857600 /dev/zero >"$WORK/run/qemnuv.ini"
run 1
rm "$WORK/run/qemnuv.ini"
run 1 -s -p "$(head -c 102400 /dev/zero | tr '\0' 'X')"
echo "ok: startup_invalid"

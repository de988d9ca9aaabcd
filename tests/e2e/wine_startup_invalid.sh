#!/usr/bin/env bash
# Start-up of the Windows build under Wine: invalid settings end with exit status 1 and the
# exact log bytes in "_QEM_NUV.txt" beside the program, whatever the current directory; a
# second run appends; an INI file in the current directory decides over the command line.
# Usage: wine_startup_invalid.sh LINUX_BUILD_DIR   (the Windows build is LINUX_BUILD_DIR/../build-win,
# or MIRELITH_WIN_BUILD when set)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WIN_BUILD=${MIRELITH_WIN_BUILD:-$1/../build-win}
EXE="$WIN_BUILD/main/mirelith.exe"
if [ ! -f "$EXE" ]; then
  echo "SKIP: no Windows build at $WIN_BUILD"
  exit 77
fi
# shellcheck source=/dev/null
source "$ROOT/scripts/wine-env.sh"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/mirelith-wine-startup.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/bin" "$WORK/run"
cp "$EXE" "$WORK/bin/mirelith.exe"
LOG="$WORK/bin/_QEM_NUV.txt"
fail() { echo "FAIL: $*" >&2; exit 1; }

run() { # run EXPECTED_STATUS ARGS... (in $WORK/run)
  local expected=$1; shift
  local status=0
  (cd "$WORK/run" && timeout 120 wine "$WORK/bin/mirelith.exe" "$@" >"$WORK/out" 2>"$WORK/err") ||
    status=$?
  [ "$status" = "$expected" ] || fail "mirelith.exe $* exited $status, expected $expected"
}

check_log() { # check_log TEXT... (one per run)
  local stamp='\[[0-9]{4}/[0-9]{2}/[0-9]{2}-[0-9]{2}:[0-9]{2}:[0-9]{2}\]'
  local expected="VORANEX NUV\r\n\r\n" line
  for line in "$@"; do expected+="STAMP  $line\r\n\r\n"; done
  local actual wanted
  actual=$(sed -E "s#$stamp#STAMP#g" "$LOG" | od -An -c | tr -s ' \n' ' ')
  wanted=$(printf "$expected" | od -An -c | tr -s ' \n' ' ')
  [ "$actual" = "$wanted" ] || { od -c "$LOG" >&2; fail "log bytes differ"; }
}

run 1 -s -p PRN
check_log "Invalid parameters"
run 1 -s -p NET
check_log "Invalid parameters" "Invalid parameters"
printf '[NUV]\r\nPORTTYPE=COM1\r\nMODELNAME=KAV-100\r\nFWNAME=KAV-100.FLS\r\n' >"$WORK/run/qemnuv.ini"
run 1 -s -p COM1 -m KAV-100 -f KAV-100_V1_031512.fls
check_log "Invalid parameters" "Invalid parameters" "Invalid parameters"
# A qemnuv.ini that cannot be opened (a directory) makes the run invalid too.
rm "$WORK/run/qemnuv.ini"
mkdir "$WORK/run/qemnuv.ini"
run 1
check_log "Invalid parameters" "Invalid parameters" "Invalid parameters" "Invalid parameters"
echo "ok: wine_startup_invalid"

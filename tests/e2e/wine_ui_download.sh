#!/usr/bin/env bash
# The interactive Windows program under Wine and Xvfb, driven from outside by ui_driver.exe as a
# user would: model choice, port configuration (USB fall-back, refused port name, Enter and
# Escape), Ethernet to printer-sim, file choice in the real open-file dialog, download,
# completion notice, the windows shown whole (frames, pictures, faces; read back from the
# screen), a connection error box closed with a real mouse click, About box, Exit. The printer
# must have received the file exactly. The Windows build is "$1/../build-win", or
# MIRELITH_WIN_BUILD when set.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
REPO=$(cd "$(dirname "$0")/../.." && pwd)
WIN="${MIRELITH_WIN_BUILD:-$BUILD/../build-win}"
[ -f "$WIN/main/mirelith.exe" ] || fail "Windows build not found at $WIN"
[ -f "$WIN/tests/wine/ui_driver.exe" ] || fail "ui_driver.exe not built in $WIN"
command -v Xvfb >/dev/null || fail "Xvfb is not installed"
# shellcheck source=/dev/null
source "$REPO/scripts/wine-env.sh"
# Windows of every Wine process belong to the desktop of the prefix's running wineserver, and
# the shared one was started without a display (for the other Wine tests): this test has a
# prefix of its own, whose server starts on the display below.
wine_private_prefix "$WORK/wineprefix"

# A private copy, so the program's log file lands in the work directory.
mkdir -p "$WORK/win"
cp "$WIN/main/mirelith.exe" "$WIN/tests/wine/ui_driver.exe" "$WORK/win/"
source "$REPO/tests/wine/xvfb.sh"
start_xvfb || fail "no X server could be started"
trap 'wineserver -k 2>/dev/null; stop_xvfb; e2e_cleanup' EXIT

make_image "$WORK/run/fw.fls" 150001
start_sim --tcp

set +e
(cd "$WORK/run" && timeout 300 wine "$WORK/win/ui_driver.exe" \
    --program "$(winepath -w "$WORK/win/mirelith.exe")" \
    --tcp-port "$SIM_TCP" \
    --firmware "$(winepath -w "$WORK/run/fw.fls")") >"$WORK/driver.out" 2>"$WORK/driver.err"
STATUS=$?
set -e
cat "$WORK/driver.out"
[ "$STATUS" -eq 0 ] || { cat "$WORK/driver.err" >&2; fail "ui_driver exit status $STATUS"; }
grep -q "^[0-9]* passed, 0 failed" "$WORK/driver.out" || fail "ui_driver reported failures"
expect_received "$WORK/run/fw.fls"
pass "interactive download over Ethernet under Wine"

#!/usr/bin/env bash
# The installer under Wine, as a software-distribution system and a normal user meet it, in a
# fresh prefix of an unprivileged user (as root every folder is writable, and the point is a
# Program Files folder the user may not write):
# - /S installs the programs, the Start-menu shortcut and the uninstall entry, exit code 0;
# - the installed mirelith.exe downloads to printer-sim over TCP;
# - with its folder not writable, a failing run's log line lands in %LOCALAPPDATA%\Mirelith and
#   the result file and --version say so; an installer run then gives 4 and changes nothing, and
#   so does one aimed at a folder it cannot make;
# - an upgrade removes the files of the older version and keeps the user's;
# - a running copy makes install and removal give 3 and change nothing;
# - uninstall.exe /S removes program, shortcut and entry and leaves the logs; setup /S /UNINSTALL
#   does the same and returns when done (5 when nothing is installed).
# The Windows build is "$1/../build-win", or MIRELITH_WIN_BUILD.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
win=$(cd "${MIRELITH_WIN_BUILD:-$BUILD/../build-win}" 2>/dev/null && pwd) || win=none
VERSION=$(sed -n 's/^project(Mirelith VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
SETUP="$win/mirelith-$VERSION-setup.exe"
[ -f "$win/main/mirelith.exe" ] || { echo "SKIP: no Windows build at $win" >&2; exit 77; }
[ -f "$SETUP" ] || { echo "SKIP: no installer at $SETUP (makensis, Debian package nsis)" >&2; exit 77; }

AS=()
if [ "$(id -u)" -eq 0 ]; then
  AS=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
  chmod 755 "$WORK"
fi
mkdir -p "$WORK/home"
cp "$SETUP" "$WORK/setup.exe"
[ ${#AS[@]} -eq 0 ] || chown -R nobody:nogroup "$WORK/home" "$WORK/run"
export WINEPREFIX="$WORK/home/prefix" WINEDEBUG=-all WINEARCH=win32
# No menu entries or file associations in the tester's own desktop.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
as_user() { "${AS[@]}" env HOME="$WORK/home" "$@"; }
# w ARGS... : a Windows program as the user, in the run directory; sets STATUS and keeps its
# output where expect_status shows it.
w() {
  set +e
  (cd "$WORK/run" && as_user timeout 180 wine "$@") >"$WORK/mirelith.out" 2>"$WORK/mirelith.err"
  STATUS=$?
  set -e
}
# The program opens a firmware file for reading and writing, so the user must own it.
users_file() { [ ${#AS[@]} -eq 0 ] || chown nobody:nogroup "$1"; }
stop_wine() { as_user wineserver -k >/dev/null 2>&1 || true; }
trap 'stop_wine; e2e_cleanup' EXIT

PF="$WINEPREFIX/drive_c/Program Files/Mirelith"
KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mirelith'
EXE_W='C:\Program Files\Mirelith\mirelith.exe'
COM_W='C:\Program Files\Mirelith\mirelith.com'
shortcut() { find "$WINEPREFIX/drive_c" -name Mirelith.lnk | head -1; }
entry() { as_user wine reg query "$KEY" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"; }
installed_as_built() {
  cmp -s "$PF/mirelith.exe" "$win/main/mirelith.exe" && cmp -s "$PF/mirelith.com" "$win/main/mirelith.com" &&
    cmp -s "$PF/hex2fls.exe" "$win/tools/hex2fls.exe" && [ -f "$PF/uninstall.exe" ]
}

# The user's own prefix, set up as on a first start (no copy: a copy would carry another user's
# profile). Its server goes on from here to the first test.
as_user wineboot -i >/dev/null 2>&1 || true

# --- A silent installation.
w "$WORK/setup.exe" /S
expect_status 0 "setup /S"
installed_as_built || fail "installed files: $(ls -la "$PF" 2>&1)"
[ -n "$(shortcut)" ] || fail "no Start-menu shortcut"
[ "$(entry DisplayVersion)" = "$VERSION" ] || fail "uninstall entry version: [$(entry DisplayVersion)]"
[ "$(entry Publisher)" = "Mirelith" ] || fail "uninstall entry publisher: [$(entry Publisher)]"
[ "$(entry UninstallString)" = '"C:\Program Files\Mirelith\uninstall.exe"' ] ||
  fail "uninstall command: [$(entry UninstallString)]"
pass "setup /S installs the programs, the shortcut and the uninstall entry"

# --- The installed program downloads.
make_image "$WORK/run/fw.fls" 200000
users_file "$WORK/run/fw.fls"
start_sim --tcp
w "$EXE_W" -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls
expect_status 0 "installed mirelith.exe, silent TCP run"
expect_received "$WORK/run/fw.fls"
pass "the installed program downloads to the printer"

# --- Its folder not writable: the log goes to the user's local application data.
chmod a-w "$PF"
start_sim --refuse
w "$EXE_W" -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls --result r.json
expect_status 2 "refused run of the installed program"
[ ! -e "$PF/_QEM_NUV.txt" ] || fail "a log appeared in the program folder"
LOG=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Mirelith/_QEM_NUV.txt' | head -1)
[ -n "$LOG" ] || fail "no log under the user's local application data: $(find "$WINEPREFIX/drive_c/users" -name '_QEM_NUV*')"
expect_log_lines "Socket Connect Error! ip=127.0.0.1, tcpport=$SIM_TCP"
python3 -c 'import json,sys; f=json.load(open(sys.argv[1]))["log_file"]; assert f.endswith("\\AppData\\Local\\Mirelith\\_QEM_NUV.txt"), f' \
    "$WORK/run/r.json" || fail "result log_file: $(cat "$WORK/run/r.json")"
w "$COM_W" --version
expect_status 0 "installed mirelith.com --version"
tr -d '\r' <"$WORK/mirelith.out" | grep -q '^log file: C:\\.*\\AppData\\Local\\Mirelith\\_QEM_NUV.txt$' ||
  fail "--version log place: $(cat "$WORK/mirelith.out")"
pass "a failing run's log line lands in %LOCALAPPDATA%\\Mirelith, and the result and --version say so"

# --- A folder that cannot be written: code 4 and nothing changed.
w "$WORK/setup.exe" /S
expect_status 4 "setup /S over a folder it may not write"
installed_as_built || fail "the installation changed: $(ls -la "$PF")"
[ "$(entry DisplayVersion)" = "$VERSION" ] || fail "the uninstall entry changed"
mkdir "$WINEPREFIX/drive_c/locked"
chmod a-w "$WINEPREFIX/drive_c/locked"
w "$WORK/setup.exe" /S '/D=C:\locked\Mirelith'
expect_status 4 "setup /S into a folder it cannot make"
[ -z "$(ls -A "$WINEPREFIX/drive_c/locked")" ] || fail "files in the locked folder"
chmod u+w "$PF"
pass "a write failure gives 4 and leaves the installation as it was"

# --- An upgrade: the older version's files go, the user's stay.
printf 'old-helper.dll\r\n' >>"$PF/installed-files.txt"
echo "an older version's file" >"$PF/old-helper.dll"
printf '[NUV]\r\nPORTTYPE=NET\r\n' >"$PF/qemnuv.ini"
w "$WORK/setup.exe" /S
expect_status 0 "setup /S over an installed version"
installed_as_built || fail "upgraded files: $(ls -la "$PF")"
[ ! -e "$PF/old-helper.dll" ] || fail "the older version's file stayed"
[ -f "$PF/qemnuv.ini" ] || fail "the user's qemnuv.ini was removed"
[ ! -e "$PF/.setup-new" ] && [ ! -e "$PF/.setup-old" ] || fail "staging folders left: $(ls -A "$PF")"
pass "an upgrade keeps no stale file and the user's files"

# --- A running copy: install and removal give 3 and change nothing.
# Larger than every socket buffer on the way, so the send blocks while the printer stalls.
make_image "$WORK/run/big.fls" 40000000
users_file "$WORK/run/big.fls"
start_sim --tcp --stall-after 100000
(cd "$WORK/run" && exec "${AS[@]}" env HOME="$WORK/home" wine "$EXE_W" -s -p NET 127.0.0.1 \
    -tcpport "$SIM_TCP" -m "T90 Prime" -f big.fls) >/dev/null 2>&1 &
running=$!
for _ in $(seq 600); do
  [ "$(stat -c %s "$WORK/received.bin" 2>/dev/null || echo 0)" -ge 100000 ] && break
  kill -0 "$running" 2>/dev/null || fail "the running copy ended early"
  sleep 0.1
done
w "$WORK/setup.exe" /S
expect_status 3 "setup /S while a copy runs"
w "$WORK/setup.exe" /S /UNINSTALL
expect_status 3 "setup /S /UNINSTALL while a copy runs"
installed_as_built || fail "files changed while a copy ran: $(ls -la "$PF")"
kill -TERM "$running"
wait "$running" 2>/dev/null || true
stop_sim
pass "a running copy gives 3 and changes nothing"

# --- uninstall.exe /S: program, shortcut and entry go; logs and the user's files stay.
w "$PF/uninstall.exe" /S
expect_status 0 "uninstall.exe /S"
# It goes on in its copy in the temporary folder, removing one thing after another: its end is
# the end of the user's last Wine program.
as_user timeout 120 wineserver -w || fail "the uninstaller did not end"
for f in mirelith.exe mirelith.com hex2fls.exe README.md uninstall.exe installed-files.txt; do
  [ ! -e "$PF/$f" ] || fail "$f stayed after uninstalling"
done
[ -f "$PF/qemnuv.ini" ] || fail "the user's qemnuv.ini was removed"
[ -z "$(shortcut)" ] || fail "shortcut stayed: $(shortcut)"
as_user wine reg query "$KEY" >/dev/null 2>&1 && fail "uninstall entry stayed"
[ -f "$LOG" ] || fail "the log was removed"
pass "uninstall.exe /S removes program, shortcut and entry, and leaves the logs"

# --- setup /S /UNINSTALL waits and says when there is nothing to remove.
rm "$PF/qemnuv.ini"
w "$WORK/setup.exe" /S
expect_status 0 "setup /S again"
w "$WORK/setup.exe" /S /UNINSTALL
expect_status 0 "setup /S /UNINSTALL"
[ ! -e "$PF" ] || fail "folder stayed: $(ls -A "$PF")"
[ -z "$(shortcut)" ] || fail "shortcut stayed after /UNINSTALL"
w "$WORK/setup.exe" /S /UNINSTALL
expect_status 5 "setup /S /UNINSTALL with nothing installed"
pass "setup /S /UNINSTALL removes the installation and returns when done"

#!/usr/bin/env bash
# The .deb packages: built with cpack, installed with dpkg -i (root only, as on the CI machine).
# mirelith depends on no Qt or X library and, alone, says how to get the window; mirelith-gui
# (where the build has the window) depends on it and Qt, and takes an interactive start over.
# Then the installed program: --version, the manual pages render, a download to printer-sim
# over TCP, and the log of a failed run in /var/log/mirelith (root) or the user's state
# directory, never beside /usr/bin/mirelith. Purging removes the programs and root's log.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: installing a package needs root" >&2
  exit 77
fi
command -v dpkg-shlibdeps >/dev/null || { echo "SKIP: dpkg-dev is not installed" >&2; exit 77; }
if dpkg -s mirelith >/dev/null 2>&1 || dpkg -s mirelith-gui >/dev/null 2>&1 ||
    [ -e /usr/bin/mirelith ] || [ -e /usr/bin/mirelith-gui ]; then
  echo "SKIP: mirelith is already installed on this machine; not touching it" >&2
  exit 77
fi

cmake --build "$BUILD" --target mirelith hex2fls man_pages >/dev/null
(cd "$WORK" && cpack --config "$BUILD/CPackConfig.cmake" -G DEB -B "$WORK/pkg") >"$WORK/cpack.log" 2>&1 ||
  { cat "$WORK/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$WORK"/pkg/mirelith_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
grep -q libc6 <<<"$depends" || fail "the package declares no dependencies"
! grep -Eiq 'qt|libx|xcb|libgl|wayland' <<<"$depends" || fail "mirelith depends on a desktop: $depends"
gui_deb=$(ls "$WORK"/pkg/mirelith-gui_*.deb 2>/dev/null || true)

cleanup_package() { dpkg --purge mirelith-gui mirelith >/dev/null 2>&1 || true; e2e_cleanup; }
trap cleanup_package EXIT
dpkg -i "$deb" >"$WORK/dpkg.log" 2>&1 || { cat "$WORK/dpkg.log" >&2; fail "dpkg -i"; }
pass "installed $(basename "$deb"), depending on: $depends"

# An interactive start: how to get the window, until mirelith-gui is installed; then its word.
interactive_line() {
  (cd "$WORK" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/mirelith) \
      >"$WORK/i.out" 2>"$WORK/i.err" && STATUS=0 || STATUS=$?
  [ "$STATUS" -eq 4 ] && [ "$(wc -l <"$WORK/i.err")" -eq 1 ] ||
    { cat "$WORK/i.err" >&2; fail "interactive start: status $STATUS"; }
  grep -q "$1" "$WORK/i.err" || fail "interactive start: $(cat "$WORK/i.err")"
}
if [ -e /usr/local/bin/mirelith-gui ]; then
  echo "skipped: /usr/local/bin/mirelith-gui would take the run over"
else
  interactive_line "mirelith-gui package"
  pass "without mirelith-gui: $(cat "$WORK/i.err")"
fi
if [ -n "$gui_deb" ]; then
  dpkg-deb -f "$gui_deb" Depends | grep -q "mirelith (= " || fail "mirelith-gui does not depend on mirelith"
  dpkg-deb -f "$gui_deb" Depends | grep -q libqt6widgets || fail "mirelith-gui does not depend on Qt"
  dpkg -i "$gui_deb" >"$WORK/dpkg.log" 2>&1 || { cat "$WORK/dpkg.log" >&2; fail "dpkg -i mirelith-gui"; }
  interactive_line "no display for the window"
  pass "installed $(basename "$gui_deb"): an interactive start reaches the window's program"
fi

/usr/bin/mirelith --version | grep -q "^mirelith " || fail "mirelith --version"
[ -x /usr/bin/hex2fls ] || fail "hex2fls not installed"
[ -f /usr/share/bash-completion/completions/mirelith ] || fail "bash completion not installed"
bash -n /usr/share/bash-completion/completions/mirelith || fail "bash completion does not parse"
for page in mirelith hex2fls; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "/usr/share/man/man1/$page.1.gz" 2>&1 >"$WORK/$page.txt")
  [ -z "$warnings" ] || fail "man $page: $warnings"
  grep -q "SYNOPSIS" "$WORK/$page.txt" || fail "man $page does not render"
done
grep -q "/dev/ttyUSB0" "$WORK/mirelith.txt" || fail "mirelith(1) says nothing of device paths"
pass "--version, man pages, completion"

# A download from the installed program.
MIRELITH=/usr/bin/mirelith
make_image "$WORK/run/fw.fls" 70001
start_sim --tcp
run_mirelith -s -m "T90 Prime" -f fw.fls -p NET 127.0.0.1 -tcpport "$SIM_TCP"
expect_status 0 "installed program over TCP"
expect_received "$WORK/run/fw.fls"
pass "download from /usr/bin/mirelith"

# Its log: root's in /var/log/mirelith, a user's in the state directory; never in /usr/bin.
run_mirelith -s -m "T90 Prime" -f fw.fls -p COM200
expect_status 2 "failed run"
grep -q "Port Open Error. Port=\\\\\\\\.\\\\COM200" /var/log/mirelith/_QEM_NUV.txt ||
  fail "root's log is not in /var/log/mirelith"
if id nobody >/dev/null 2>&1; then
  mkdir -p "$WORK/home"
  chown nobody "$WORK/home"
  chmod 755 "$WORK" "$WORK/run"
  chmod 644 "$WORK/run/fw.fls"
  (cd "$WORK/run" && runuser -u nobody -- env HOME="$WORK/home" XDG_STATE_HOME= \
      /usr/bin/mirelith -s -m "T90 Prime" -f fw.fls -p COM200) >/dev/null 2>&1 || true
  grep -q "Port Open Error" "$WORK/home/.local/state/mirelith/_QEM_NUV.txt" ||
    fail "a user's log is not in ~/.local/state/mirelith"
fi
[ ! -e /usr/bin/_QEM_NUV.txt ] || fail "the installed program wrote its log beside itself"
pass "logs in the state directories, none in /usr/bin"

dpkg --purge mirelith-gui mirelith >/dev/null 2>&1 || fail "dpkg --purge"
[ ! -e /usr/bin/mirelith ] && [ ! -e /usr/bin/mirelith-gui ] || fail "purge left a program in /usr/bin"
[ ! -e /var/log/mirelith ] || fail "purge left /var/log/mirelith"
pass "purged"

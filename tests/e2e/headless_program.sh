#!/usr/bin/env bash
# The program a till runs needs no desktop. mirelith's NEEDED list holds no Qt, X, xcb, GL or
# Wayland library; a silent download loads none of them, and works where the Qt libraries cannot
# be loaded at all (as root: a private mount namespace with every libQt6 file made empty);
# without mirelith-gui beside it or installed, an interactive start says in one line how to get
# the window (exit status 4).
source "$(dirname "$0")/lib.sh"
e2e_init "$1"

desktop='libQt|libX|libxcb|libxkb|libGL|libEGL|libOpenGL|libwayland|libfontconfig|libfreetype'
needed=$(readelf -d "$MIRELITH" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -n "$needed" ] || fail "readelf shows no NEEDED list"
! grep -E "$desktop" <<<"$needed" >&2 || fail "mirelith needs desktop libraries"
pass "NEEDED: $(tr '\n' ' ' <<<"$needed")"

# Every library the dynamic loader opens, those opened later (dlopen) included.
make_image "$WORK/run/fw.fls" 70001
start_sim --tcp
set +e
(cd "$WORK/run" && LD_DEBUG=files LD_DEBUG_OUTPUT="$WORK/ld" timeout 120 "$MIRELITH" \
    -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls) \
    >"$WORK/mirelith.out" 2>"$WORK/mirelith.err"
STATUS=$?
set -e
expect_status 0 "silent run"
expect_received "$WORK/run/fw.fls"
grep -qh "file=" "$WORK"/ld.* || fail "the loader said nothing of the libraries it opened"
! grep -hE "file=[^ ]*($desktop)" "$WORK"/ld.* || fail "the silent run loaded desktop libraries"
pass "a silent run loads no desktop library"

if [ "$(id -u)" -eq 0 ] && unshare --mount true 2>/dev/null; then
  # Each Qt library file, once, made empty in a mount namespace of the run's own.
  mapfile -t qt_files < <(for f in /usr/lib/*/libQt6*.so* /usr/lib/libQt6*.so*; do
    [ -e "$f" ] && readlink -f "$f"; done | sort -u)
  start_sim --tcp
  set +e
  (cd "$WORK/run" && unshare --mount --propagation private bash -c '
      for f in "${@:3}"; do mount --bind /dev/null "$f" || exit 99; done
      if [ -x "$2" ] && "$2" --version >/dev/null 2>&1; then exit 98; fi
      exec timeout 120 "$1" -s -p NET 127.0.0.1 -tcpport "'"$SIM_TCP"'" -m "T90 Prime" -f fw.fls
    ' hide "$MIRELITH" "$BUILD/main/mirelith-gui" "${qt_files[@]}") \
      >"$WORK/mirelith.out" 2>"$WORK/mirelith.err"
  STATUS=$?
  set -e
  [ "$STATUS" -ne 99 ] || fail "the Qt libraries could not be hidden"
  [ "$STATUS" -ne 98 ] || fail "mirelith-gui still starts: the Qt libraries are not hidden"
  expect_status 0 "silent run without Qt"
  expect_received "$WORK/run/fw.fls"
  pass "a silent run where ${#qt_files[@]} Qt library files cannot be loaded"
else
  echo "skipped: hiding the Qt libraries needs root and a mount namespace"
fi

# Alone, without the window's program: one line saying how to get it.
if ls /usr/bin/mirelith-gui /usr/local/bin/mirelith-gui >/dev/null 2>&1; then
  echo "skipped: a mirelith-gui is installed on this machine"
else
  (cd "$WORK/run" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$MIRELITH") \
      >"$WORK/mirelith.out" 2>"$WORK/mirelith.err" && STATUS=0 || STATUS=$?
  expect_status 4 "interactive start without the window's program"
  [ "$(wc -l <"$WORK/mirelith.err")" -eq 1 ] && [ ! -s "$WORK/mirelith.out" ] ||
    { cat "$WORK/mirelith.err" >&2; fail "expected one line on stderr"; }
  grep -q "mirelith-gui package.*mirelith -s -p" "$WORK/mirelith.err" ||
    fail "no word of the mirelith-gui package: $(cat "$WORK/mirelith.err")"
  pass "without mirelith-gui: $(cat "$WORK/mirelith.err")"
fi

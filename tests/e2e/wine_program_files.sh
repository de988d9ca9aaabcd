#!/usr/bin/env bash
# What the Windows build ships, read from the files themselves (Wine is not needed, but the
# Windows build is, so this runs with the Wine tests after it): mirelith.exe is a window program
# and mirelith.com its console twin, both 32-bit and needing only the system's DLLs; the zip
# holds both with hex2fls.exe and the README; the installer is made. The Windows build is
# "$1/../build-win", or MIRELITH_WIN_BUILD.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
win=$(cd "${MIRELITH_WIN_BUILD:-$BUILD/../build-win}" 2>/dev/null && pwd) || win=none
[ -f "$win/main/mirelith.exe" ] || { echo "SKIP: no Windows build at $win" >&2; exit 77; }
VERSION=$(sed -n 's/^project(Mirelith VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")

# pe FILE : "<machine> <subsystem>" from the PE header (0x14c i386; 2 window, 3 console).
pe() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:2] == b"MZ", "not an MZ file"
pe = struct.unpack_from("<I", data, 0x3C)[0]
assert data[pe:pe + 4] == b"PE\0\0", "no PE header"
machine = struct.unpack_from("<H", data, pe + 4)[0]
magic = struct.unpack_from("<H", data, pe + 24)[0]
assert magic == 0x10B, "not PE32"
subsystem = struct.unpack_from("<H", data, pe + 24 + 68)[0]
print(hex(machine), subsystem)
PY
}
[ "$(pe "$win/main/mirelith.exe")" = "0x14c 2" ] || fail "mirelith.exe: $(pe "$win/main/mirelith.exe")"
[ -f "$win/main/mirelith.com" ] || fail "no mirelith.com"
[ "$(pe "$win/main/mirelith.com")" = "0x14c 3" ] || fail "mirelith.com: $(pe "$win/main/mirelith.com")"
# Only the system's own DLLs: the twin is as self-contained as the program.
if command -v i686-w64-mingw32-objdump >/dev/null; then
  dlls=$(i686-w64-mingw32-objdump -p "$win/main/mirelith.com" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' |
         grep -v -x -e kernel32.dll -e user32.dll -e gdi32.dll -e advapi32.dll -e shell32.dll \
           -e comctl32.dll -e comdlg32.dll -e setupapi.dll -e winspool.drv -e ws2_32.dll \
           -e winmm.dll -e msvcrt.dll || true)
  [ -z "$dlls" ] || fail "mirelith.com needs DLLs the system has not: $dlls"
fi
pass "mirelith.exe is a 32-bit window program, mirelith.com its console twin"

(cd "$WORK" && cpack --config "$win/CPackConfig.cmake" -G ZIP -B "$WORK/pkg") >"$WORK/cpack.log" 2>&1 ||
  { cat "$WORK/cpack.log" >&2; fail "cpack -G ZIP"; }
zip="$WORK/pkg/mirelith-$VERSION-win32.zip"
names=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' "$zip")
[ "$names" = "$(printf '%s\n' README.md hex2fls.exe mirelith.com mirelith.exe)" ] || fail "zip holds: $names"
pass "the zip holds both programs, hex2fls.exe and the README"

if command -v makensis >/dev/null; then
  setup="$win/mirelith-$VERSION-setup.exe"
  [ "$(pe "$setup")" = "0x14c 2" ] || fail "installer: $(pe "$setup" 2>&1)"
  [ "$setup" -nt "$win/main/mirelith.com" ] || fail "the installer is older than the programs it holds"
  pass "the installer is made"
fi

# Sourced by scripts that run the Windows build: a private, quiet Wine prefix under build-win/.
export WINEPREFIX="${WINEPREFIX:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build-win/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win32
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
# A Wine program that finds no wineserver starts one, and the prefix's system processes with it
# (services, device manager, desktop): two or three seconds, paid again by every program started
# after the last one ended. So the server is kept MIRELITH_WINE_LINGER seconds (default 5) past
# its last program and ends by itself, and the system processes are started here, by a program
# of no test. ctest ends whatever a test started when the test ends, so system processes started
# by a test's first program would be started again by every test; started outside ctest (by
# scripts/test.sh before it runs the Wine tests) they serve all of them. A server that is already
# running is kept as it is.
wineserver -p"${MIRELITH_WINE_LINGER:-5}" </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

# wine_private_prefix DIR : WINEPREFIX becomes DIR, a copy of the prefix above, for a test that
# needs a wineserver of its own (one it ends, or one with a display). Copying takes a few
# seconds where setting a prefix up takes ten or more. The copy's server starts with its first
# program. The file in which Wine names the shared prefix's server is not copied; Wine writes
# the copy one of its own.
wine_private_prefix() {
  mkdir -p "$1"
  # Other tests' programs may run on the shared prefix meanwhile, and its server then saves
  # the registry (a new file renamed over the old one): tar says a directory changed as it read
  # it and exits 1, yet every file it copied is whole.
  { tar -C "$WINEPREFIX" --exclude=./wineserver --warning=no-file-changed -cf - . ||
      [ $? -eq 1 ]; } | tar -C "$1" -xf -
  export WINEPREFIX="$1"
}

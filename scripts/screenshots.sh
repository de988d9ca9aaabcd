#!/usr/bin/env bash
# Screenshots of the Windows program's model selection, main window, port configuration dialog,
# completion notice and a message box over the main window, taken under Wine on a private Xvfb
# while ui_driver.exe walks an interactive download to printer-sim. Written to docs/screenshots/.
# The Linux windows come first, from the Qt test driver; --linux stops after them (no Wine).
# Usage: scripts/screenshots.sh [--linux] [LINUX_BUILD_DIR] [WINDOWS_BUILD_DIR]
#        (default: build build-win)
set -euo pipefail
cd "$(dirname "$0")/.."
REPO=$(pwd)
LINUX_ONLY=0
if [ "${1:-}" = --linux ]; then
  LINUX_ONLY=1
  shift
fi
LINUX_BUILD=$(cd "${1:-build}" && pwd)
OUT="$REPO/docs/screenshots"
SIM="$LINUX_BUILD/tools/printer-sim"

# The Linux window first: the Qt views rendered on Qt's offscreen platform while the QTest
# driver walks the same download to printer-sim, saving each window as it reaches it.
QT_DRIVER="$LINUX_BUILD/tests/qt/qt_window_tests"
if [ -x "$QT_DRIVER" ]; then
  mkdir -p "$OUT"
  QT_QPA_PLATFORM=offscreen MIRELITH_SCREENSHOT_DIR="$OUT" "$QT_DRIVER" downloadOverEthernet \
      >/dev/null || { echo "the Qt driver failed" >&2; exit 1; }
  echo "wrote docs/screenshots/linux-{select,main,config,completion,about}.png"
else
  echo "no $QT_DRIVER (a build without MIRELITH_GUI): Linux screenshots skipped" >&2
fi
[ "$LINUX_ONLY" -eq 0 ] || exit 0
WIN_BUILD=$(cd "${2:-build-win}" && pwd)
for f in "$SIM" "$WIN_BUILD/main/mirelith.exe" "$WIN_BUILD/tests/wine/ui_driver.exe"; do
  [ -f "$f" ] || { echo "missing $f: build both programs first" >&2; exit 1; }
done
command -v import >/dev/null || { echo "ImageMagick's import is needed" >&2; exit 1; }

# shellcheck source=/dev/null
source scripts/wine-env.sh
# A wineserver left from a run without a display would own a desktop with no X driver.
wineserver -w
# shellcheck source=/dev/null
source tests/wine/xvfb.sh
WORK=$(mktemp -d "${TMPDIR:-/tmp}/mirelith-shots.XXXXXX")
SIM_PID=""
DRIVER_PID=""
cleanup() {
  [ -n "$DRIVER_PID" ] && kill "$DRIVER_PID" 2>/dev/null || true
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null || true
  stop_xvfb
  rm -rf "$WORK"
}
trap cleanup EXIT
start_xvfb || { echo "no X server could be started" >&2; exit 1; }

mkdir -p "$WORK/run" "$WORK/pause" "$WORK/win" "$OUT"
cp "$WIN_BUILD/main/mirelith.exe" "$WIN_BUILD/tests/wine/ui_driver.exe" "$WORK/win/"
head -c 120000 /dev/urandom >"$WORK/run/fw.fls"
"$SIM" --tcp --info-file "$WORK/sim.info" --output "$WORK/received.bin" >/dev/null 2>&1 &
SIM_PID=$!
for _ in $(seq 1 100); do [ -f "$WORK/sim.info" ] && break; sleep 0.05; done
PORT=$(sed -n 's/^tcp=//p' "$WORK/sim.info")

(cd "$WORK/run" && wine "$WORK/win/ui_driver.exe" \
    --program "$(winepath -w "$WORK/win/mirelith.exe")" --tcp-port "$PORT" \
    --firmware "$(winepath -w "$WORK/run/fw.fls")" \
    --pause-dir "$(winepath -w "$WORK/pause")") >"$WORK/driver.out" 2>&1 &
DRIVER_PID=$!

SHOTS="select main config completion message"
taken=0
deadline=$((SECONDS + 240))
while kill -0 "$DRIVER_PID" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
  for name in $SHOTS; do
    if [ -f "$WORK/pause/$name.ready" ] && [ ! -f "$WORK/pause/$name.done" ]; then
      # The desktop is black: trimming leaves the windows.
      import -window root "$WORK/$name-full.png"
      convert "$WORK/$name-full.png" -trim +repage "$OUT/$name.png"
      echo "wrote docs/screenshots/$name.png"
      taken=$((taken + 1))
      touch "$WORK/pause/$name.done"
    fi
  done
  sleep 0.2
done
set +e
wait "$DRIVER_PID"
status=$?
set -e
DRIVER_PID=""
tail -1 "$WORK/driver.out"
[ "$status" -eq 0 ] && [ "$taken" -eq "$(wc -w <<<"$SHOTS")" ] || { cat "$WORK/driver.out" >&2; exit 1; }

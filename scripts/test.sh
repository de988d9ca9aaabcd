#!/usr/bin/env bash
# Sets up the machine, builds both programs and runs every test: the Linux unit, loopback and
# end-to-end tests, the unit tests under the sanitizers, the Windows tests under Wine, and the
# fuzz targets for a bounded time.
#
# The Linux tests spend most of their time waiting on simulated printers and timers, so the
# Windows and clang builds run beside them; the fuzz targets likewise run beside the Wine tests.
# Each phase prints the seconds since the start, so a slow phase shows in the CI log.
set -euo pipefail
cd "$(dirname "$0")/.."
phase() { echo "== $* (at ${SECONDS}s)"; }
jobs=$(nproc 2>/dev/null || echo 2)

phase "Set-up"
scripts/setup.sh
# A fresh machine builds the layers three times (Linux, Windows, sanitized): as unity builds,
# each about half the time. Developers' own builds keep one unit per file (see CMakeLists.txt).
export MIRELITH_CMAKE_ARGS="${MIRELITH_CMAKE_ARGS:--DMIRELITH_UNITY=ON}"
phase "Linux build"
scripts/build.sh linux

mkdir -p build
phase "Windows and sanitized builds, beside the Linux tests"
(scripts/build.sh windows && scripts/unit-sanitized.sh --build-only && scripts/fuzz.sh --build-only) \
  >build/side-builds.log 2>&1 &
side_builds=$!

status=0
phase "Linux tests"
# Most of these wait on simulated printers and their settle phases rather than compute: more of
# them at once than there are cores shortens the phase without slowing any one of them much.
(cd build && ctest --output-on-failure -j"$((jobs * 3))" -LE wine) || status=1

phase "Waiting for the side builds"
if ! wait "$side_builds"; then
  tail -60 build/side-builds.log
  echo "SOME TESTS FAILED: a build failed (build/side-builds.log)"
  exit 1
fi

phase "Fuzz targets, beside the sanitized and Wine tests"
scripts/fuzz.sh --run-only >build/fuzz-run.log 2>&1 &
fuzz_run=$!

phase "Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/unit-sanitized.sh --run-only || status=1

phase "Windows tests under Wine"
# A machine whose kernel runs no 32-bit programs cannot start Wine at all ("Exec format
# error"): the Windows build is still compiled above, and the skip is said, not hidden.
if wine --version >/dev/null 2>&1; then
  # One wineserver and one set of the prefix's system processes for the whole phase, started
  # here, outside ctest (see wine-env.sh); kept across the tests that use prefixes of their own.
  export MIRELITH_WINE_LINGER=60
  # shellcheck source=/dev/null
  source scripts/wine-env.sh
  (cd build-win && ctest --output-on-failure) || status=1
  # Three at a time: each script spends most of its time waiting for a printer's settle phase
  # or restart, and each has its own work directory, printer-sim and (where it ends its
  # wineserver, or needs a display) its own prefix.
  (cd build && ctest --output-on-failure -L wine -j3) || status=1
  wineserver -k 2>/dev/null || true
else
  echo "SKIPPED: Wine cannot run on this machine ($(wine --version 2>&1 | tail -1));" \
       "the Windows tests were built but not run"
fi

phase "Fuzz results"
wait "$fuzz_run" || status=1
cat build/fuzz-run.log

phase "Done"
if [ $status -ne 0 ]; then echo "SOME TESTS FAILED"; else echo "ALL TESTS PASSED"; fi
exit $status

#!/usr/bin/env bash
# Sets up the machine, builds both programs and runs every test: the Linux unit, loopback and
# end-to-end tests, the unit tests under the sanitizers, the Windows tests under Wine, and the
# fuzz targets for a bounded time.
#
# The Linux tests spend most of their time waiting on simulated printers and timers, so the
# Windows lane (build, then the Wine tests) and the sanitized lane (build, then its unit tests
# and the fuzz targets) run beside them. Each phase prints the seconds since the start, so a
# slow phase shows in the CI log (a lane's phases are in its log, printed at the end).
set -euo pipefail
cd "$(dirname "$0")/.."
phase() { echo "== $* (at ${SECONDS}s)"; }
jobs=$(nproc 2>/dev/null || echo 2)

# What the Linux build needs is installed first; the rest (Wine, the cross compiler, the
# sanitizers' clang, the tools the tests drive) installs while the Linux build compiles.
phase "Set-up for the Linux build"
scripts/setup.sh linux-build
mkdir -p build
phase "Set-up of the rest, beside the Linux build"
scripts/setup.sh rest >build/setup-rest.log 2>&1 &
setup_rest=$!
# A fresh machine builds the layers three times (Linux, Windows, sanitized): as unity builds,
# each about half the time. Developers' own builds keep one unit per file (see CMakeLists.txt).
# The benchmarks are built and run by hand (bench/), not here.
export MIRELITH_CMAKE_ARGS="${MIRELITH_CMAKE_ARGS:--DMIRELITH_UNITY=ON -DMIRELITH_BENCH=OFF}"
phase "Linux build"
scripts/build.sh linux
phase "Waiting for the set-up of the rest"
wait "$setup_rest" || { tail -20 build/setup-rest.log; echo "SET-UP FAILED"; exit 2; }

# The Windows tests under Wine, in the Windows lane once its build is there.
wine_tests() {
  # A machine whose kernel runs no 32-bit programs cannot start Wine at all ("Exec format
  # error"): the Windows build is still compiled, and the skip is said, not hidden.
  if ! wine --version >/dev/null 2>&1; then
    echo "SKIPPED: Wine cannot run on this machine ($(wine --version 2>&1 | tail -1));" \
         "the Windows tests were built but not run"
    return 0
  fi
  local result=0
  # One wineserver and one set of the prefix's system processes for the whole phase, started
  # here, outside ctest (see wine-env.sh); kept across the tests that use prefixes of their own.
  export MIRELITH_WINE_LINGER=60
  # shellcheck source=/dev/null
  source scripts/wine-env.sh
  (cd build-win && ctest --output-on-failure) || result=1
  # Three at a time: each script spends most of its time waiting for a printer's settle phase
  # or restart, and each has its own work directory, printer-sim and (where it ends its
  # wineserver, or needs a display) its own prefix.
  (cd build && ctest --output-on-failure -L wine -j3) || result=1
  wineserver -k 2>/dev/null || true
  return $result
}

# Two lanes beside the Linux tests, which mostly wait on simulated printers: the Windows build
# and its tests under Wine, and the sanitized build with its unit tests and the fuzz targets.
# Each lane's tests start as soon as its own build is done.
phase "Windows lane and sanitized lane, beside the Linux tests"
(
  phase "Windows build"
  scripts/build.sh windows || { echo "BUILD FAILED: Windows"; exit 2; }
  phase "Windows tests under Wine"
  wine_tests
  phase "Windows lane done"
) >build/windows-lane.log 2>&1 &
windows_lane=$!
# The sanitized lane yields the processor to the Windows lane, whose Wine tests then wait on
# printers while the sanitized build still compiles.
(
  renice -n 10 "$BASHPID" >/dev/null 2>&1 || true
  phase "Sanitized build"
  { scripts/unit-sanitized.sh --build-only && scripts/fuzz.sh --build-only; } ||
    { echo "BUILD FAILED: sanitized"; exit 2; }
  result=0
  phase "Fuzz targets, beside the sanitized unit tests"
  scripts/fuzz.sh --run-only >build/fuzz-run.log 2>&1 &
  fuzz_run=$!
  phase "Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
  scripts/unit-sanitized.sh --run-only || result=1
  wait "$fuzz_run" || result=1
  cat build/fuzz-run.log
  phase "Sanitized lane done"
  exit $result
) >build/sanitized-lane.log 2>&1 &
sanitized_lane=$!

status=0
phase "Linux tests"
# Most of these wait on simulated printers and their settle phases rather than compute: more of
# them at once than there are cores shortens the phase without slowing any one of them much.
(cd build && ctest --output-on-failure -j"$((jobs * 3))" -LE wine) || status=1

phase "Waiting for the Windows lane"
wait "$windows_lane" || status=1
cat build/windows-lane.log
phase "Waiting for the sanitized lane"
wait "$sanitized_lane" || status=1
cat build/sanitized-lane.log

phase "Done"
if [ $status -ne 0 ]; then echo "SOME TESTS FAILED"; else echo "ALL TESTS PASSED"; fi
exit $status

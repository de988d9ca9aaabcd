#!/usr/bin/env bash
# Sets up the machine, builds both programs and runs every test: the Linux unit, loopback and
# end-to-end tests, the Windows tests under Wine, and the fuzz targets for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh all
status=0
echo "== Linux tests"
# The Linux tests wait on printers and timers more than they compute: two at a time.
(cd build && ctest --output-on-failure -j"$(nproc 2>/dev/null || echo 2)" -LE wine) || status=1
echo "== Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/unit-sanitized.sh || status=1
echo "== Windows tests under Wine"
# shellcheck source=/dev/null
source scripts/wine-env.sh
(cd build-win && ctest --output-on-failure) || status=1
(cd build && ctest --output-on-failure -L wine) || status=1
echo "== Fuzz targets"
scripts/fuzz.sh || status=1
if [ $status -ne 0 ]; then echo "SOME TESTS FAILED"; else echo "ALL TESTS PASSED"; fi
exit $status

#!/usr/bin/env bash
# Runs the unit-test programs under AddressSanitizer and UndefinedBehaviorSanitizer, so an
# out-of-range read or an overflow that happens to give the right answer still fails.
# They are built in the fuzz build (build-fuzz/, clang), whose layers already carry both
# sanitizers: only the test sources are compiled on top, and scripts/fuzz.sh reuses the layers.
# SANITIZED_BUILD sets another build directory; --build-only and --run-only split the two steps
# (scripts/test.sh builds while other tests run).
set -euo pipefail
cd "$(dirname "$0")/.."
# The sanitized layers at -O1 with line tables only: the reports keep their lines, the build
# takes much less time than -O2 -g, and the fuzz targets still run fast. Both scripts configure
# the one build identically, so neither reconfigures the other.
SANITIZED_OPTIMIZATION="-O1 -DNDEBUG"
dir=${SANITIZED_BUILD:-build-fuzz}
step=${1:-all}
targets=(unit_models unit_app unit_ports unit_hexconvert unit_printqueues unit_engine unit_silentrun unit_ui)
if [ "$step" != --run-only ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -DMIRELITH_FUZZ=ON -DMIRELITH_TESTS=ON -DMIRELITH_GUI=OFF \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=${SANITIZED_OPTIMIZATION}" ${MIRELITH_CMAKE_ARGS:-} >/dev/null
  cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"
fi
[ "$step" = --build-only ] && exit 0
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
status=0
for t in "${targets[@]}"; do
  echo "== $t (sanitized)"
  "$dir/tests/$t" --gtest_brief=1 || status=1
done
exit $status

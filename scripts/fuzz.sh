#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/) and runs each for a bounded time.
# FUZZ_SECONDS sets the time per target (default 30); --build-only and --run-only split the two
# steps (scripts/test.sh builds while other tests run).
set -euo pipefail
cd "$(dirname "$0")/.."
# The sanitized layers at -O1 with line tables only: the reports keep their lines, the build
# takes much less time than -O2 -g, and the fuzz targets still run fast. Both scripts configure
# the one build identically, so neither reconfigures the other.
SANITIZED_OPTIMIZATION="-O1 -DNDEBUG"
seconds=${FUZZ_SECONDS:-30}
build=${FUZZ_BUILD_DIR:-build-fuzz}
step=${1:-all}
if [ "$step" != --run-only ]; then
  # Configured as scripts/unit-sanitized.sh does, so the two share one build without
  # reconfiguring each other; only the fuzz targets are built here.
  CC=clang CXX=clang++ cmake -S . -B "$build" -DMIRELITH_FUZZ=ON -DMIRELITH_TESTS=ON \
      -DMIRELITH_GUI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=${SANITIZED_OPTIMIZATION}" ${MIRELITH_CMAKE_ARGS:-} >/dev/null
  cmake --build "$build" -j"$(nproc)" --target fuzz_targets
fi
[ "$step" = --build-only ] && exit 0
status=0
# The targets run side by side: each has its own time bound, so the phase takes that bound once
# rather than once per target.
names=()
pids=()
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$build/corpus/$name
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
  echo "== $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=1048576 -rss_limit_mb=1024 \
      "$corpus" "${seeds[@]}" >"$build/$name.log" 2>&1 &
  names+=("$name")
  pids+=($!)
done
for i in "${!pids[@]}"; do
  name=${names[$i]}
  if ! wait "${pids[$i]}"; then
    echo "FAILED: $name (see $build/$name.log)"; tail -30 "$build/$name.log"; status=1
  else
    echo "$name: $(grep -E '^Done|#[0-9]+.*DONE' "$build/$name.log" | tail -1 || true)"
  fi
done
exit $status

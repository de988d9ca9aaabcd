#!/usr/bin/env bash
# A real silent download end to end: builds the Linux program and printer-sim, makes a sample
# firmware image, starts the emulated printer on 127.0.0.1, runs mirelith silently over TCP,
# then shows the log and how many bytes the printer received.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${BUILD_DIR:-build}

scripts/setup.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="${BUILD_TYPE-RelWithDebInfo}" >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target mirelith printer-sim

demo=$(mktemp -d "${TMPDIR:-/tmp}/mirelith-demo.XXXXXX")
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill -TERM "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$demo"
}
trap cleanup EXIT

# The program keeps its log beside itself: a copy in the demo directory keeps the tree clean.
mkdir -p "$demo/bin" "$demo/run"
cp "$build/main/mirelith" "$demo/bin/"
# A sample image: 256 KiB of a repeating pattern, named like a T90 firmware file.
image="$demo/run/KAV_T90_060125.fls"
head -c 262144 /dev/zero | tr '\0' '\125' >"$image"

# The simulated printer runs firmware 1.20, restarts for 2 s after taking an image and then
# reports 2.00, so the run can verify the update by the printer's own word.
"$root/$build/tools/printer-sim" --tcp --output "$demo/received.bin" --version 1.20 \
    --restart-seconds 2 --version-after 2.00 \
    --info-file "$demo/sim.info" >/dev/null 2>"$demo/sim.log" &
sim_pid=$!
for _ in $(seq 1 100); do [ -f "$demo/sim.info" ] && break; sleep 0.05; done
port=$(sed -n 's/^tcp=//p' "$demo/sim.info")
echo "printer-sim listening on 127.0.0.1:$port"

echo "\$ mirelith --identify -p NET 127.0.0.1 -tcpport $port"
"$demo/bin/mirelith" --identify -p NET 127.0.0.1 -tcpport "$port" || true
echo "\$ mirelith -s -p NET 127.0.0.1 -tcpport $port -m \"T90 Prime\" -f KAV_T90_060125.fls --expect-version 2.00"
set +e
(cd "$demo/run" && "$demo/bin/mirelith" -s -p NET 127.0.0.1 -tcpport "$port" -m "T90 Prime" \
    -f KAV_T90_060125.fls --expect-version 2.00)
status=$?
set -e
echo "exit status: $status (0 sent and verified, 1 invalid parameters, 2 failed, 3 interrupted, 5 not verified)"

kill -TERM "$sim_pid" 2>/dev/null || true
wait "$sim_pid" 2>/dev/null || true
sim_pid=""
echo "printer-sim:"
sed 's/^/  /' "$demo/sim.log"
echo "log file $demo/bin/_QEM_NUV.txt:"
if [ -f "$demo/bin/_QEM_NUV.txt" ]; then
  sed 's/^/  /' "$demo/bin/_QEM_NUV.txt"
else
  echo "  (none: a successful run writes no log lines)"
fi
# The printer has gone: a second run shows a failure and what the log file looks like.
echo "\$ mirelith ... (again, with the printer gone)"
set +e
(cd "$demo/run" && "$demo/bin/mirelith" -s -p NET 127.0.0.1 -tcpport "$port" -m "T90 Prime" \
    -f KAV_T90_060125.fls)
echo "exit status: $?"
set -e
echo "log file after it:"
sed 's/^/  /' "$demo/bin/_QEM_NUV.txt"
received=$(stat -c %s "$demo/received.bin")
echo "printer received $received of $(stat -c %s "$image") bytes"
cmp -s "$image" "$demo/received.bin" && echo "received bytes are identical to the image"
exit "$status"

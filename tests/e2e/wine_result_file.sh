#!/usr/bin/env bash
# The Windows build under Wine writes the same result file: a silent TCP run that replaces an
# older result, an invalid one, and one the printer dropped part-way. The Windows build is
# "$1/../build-win", or MIRELITH_WIN_BUILD.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
wine_init

make_image "$WORK/run/fw.fls" 150000
SHA=$(sha256sum "$WORK/run/fw.fls" | cut -d' ' -f1)
echo "an older result" >"$WORK/run/result.json"
start_sim --tcp
run_exe -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls --result result.json
expect_status 0 "silent TCP run under Wine"
expect_received "$WORK/run/fw.fls"
expect_result "$WORK/run/result.json" 'outcome="sent"' exit_status=0 log_line=null 'port="NET"' \
    "device=\"127.0.0.1:$SIM_TCP\"" 'file="fw.fls"' file_size=150000 "sha256=\"$SHA\"" \
    bytes_sent=150000 model_code=1112
leftover=$(cd "$WORK/run" && ls -A | grep -v -x -e fw.fls -e result.json || true)
[ -z "$leftover" ] || fail "left in the directory: $leftover"
pass "Windows build: the result of a sent image replaces the older one"

run_exe --result=result.json -s -p PRN
expect_status 1 "invalid run under Wine"
expect_result "$WORK/run/result.json" 'outcome="invalid"' exit_status=1 'log_line="Invalid parameters"' port=null \
    'reason="-p PRN: not a port: COM1-COM256, LPT1-LPT256, USB or NET <address>"'
expect_log_lines "Invalid parameters"
pass "Windows build: the result of invalid parameters names the refused argument"

# An absolute -f (a drive path; Wine's Z: is the Linux root) is used as it is, and a model name
# the table does not know is listed among the warnings.
mkdir -p "$WORK/firmware"
make_image "$WORK/firmware/fw.fls" 40000
start_sim --tcp
run_exe -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prim" -f "Z:${WORK//\//\\}\\firmware\\fw.fls" \
    --result result.json
expect_status 0 "absolute -f under Wine"
expect_received "$WORK/firmware/fw.fls"
python3 - "$WORK/run/result.json" <<'PY' || fail "result: $(cat "$WORK/run/result.json")"
import json, sys
r = json.load(open(sys.argv[1]))
assert r["file"] == "fw.fls" and r["bytes_sent"] == 40000, r
assert len(r["warnings"]) == 1 and r["warnings"][0].startswith('model "T90 Prim"'), r["warnings"]
PY
rm -f "$LOG"
pass "Windows build: an absolute -f, and the guessed model in the warnings"

# A printer that drops the connection part-way: the result counts no more than the printer can
# have taken. Where Windows counts no acknowledgements (Wine, before Windows 10 1703) that is
# only what the send buffer could not have held, which may be 0; never what the send accepted
# (megabytes), at most what the printer read and its small receive buffer held.
make_image "$WORK/run/big.fls" 5000000
start_sim --tcp --close-after 100000 --receive-buffer 16384
run_exe -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f big.fls --result result.json
expect_status 2 "dropped connection under Wine"
expect_result "$WORK/run/result.json" 'outcome="failed"' exit_status=2 'log_line="Write Failed!"'
python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); assert 0 <= r["bytes_sent"] <= 100000 + 262144, r' \
    "$WORK/run/result.json" || fail "bytes sent: $(cat "$WORK/run/result.json")"
pass "Windows build: a dropped connection counts no more than the printer took"

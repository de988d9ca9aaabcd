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
expect_result "$WORK/run/result.json" 'outcome="invalid"' exit_status=1 'log_line="Invalid parameters"' port=null
expect_log_lines "Invalid parameters"
pass "Windows build: the result of invalid parameters"

# A printer that drops the connection part-way: the result counts what Windows' send took.
make_image "$WORK/run/big.fls" 5000000
start_sim --tcp --close-after 100000
run_exe -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f big.fls --result result.json
expect_status 2 "dropped connection under Wine"
expect_result "$WORK/run/result.json" 'outcome="failed"' exit_status=2 'log_line="Write Failed!"'
python3 -c 'import json,sys; r=json.load(open(sys.argv[1])); assert 100000 <= r["bytes_sent"] < 5000000, r' \
    "$WORK/run/result.json" || fail "bytes sent: $(cat "$WORK/run/result.json")"
pass "Windows build: a dropped connection counts the bytes it took"

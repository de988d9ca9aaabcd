#!/usr/bin/env bash
# The console twin mirelith.com under Wine, called through cmd as a script calls it: "mirelith"
# picks the .com beside the .exe; --version and --help answer; a silent TCP run writes the start,
# settle and end lines of the Linux program and cmd gets its exit status (0 sent, 2 refused,
# 1 invalid); -q keeps only the failure; Ctrl+C stops a run with 3. The Windows build is
# "$1/../build-win", or MIRELITH_WIN_BUILD.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
wine_init
[ -f "$WIN_BUILD/main/mirelith.com" ] || fail "no mirelith.com in $WIN_BUILD/main"
cp "$WIN_BUILD/main/mirelith.com" "$WORK/bin/mirelith.com"
BIN_W=$(winepath -w "$WORK/bin")
ERR="$WORK/mirelith.err"
VERSION=$(sed -n 's/^project(Mirelith VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")

# run_cmd ARGS... : "mirelith ARGS" typed into cmd in the run directory, the program's folder on
# the PATH; sets STATUS, output without carriage returns in mirelith.out and .err.
run_cmd() {
  set +e
  (cd "$WORK/run" && WINEPATH="$BIN_W" timeout 180 wine cmd /c mirelith "$@") \
      >"$WORK/raw.out" 2>"$WORK/raw.err"
  STATUS=$?
  set -e
  tr -d '\r' <"$WORK/raw.out" >"$WORK/mirelith.out"
  tr -d '\r' <"$WORK/raw.err" >"$ERR"
}
expect_err() { grep -qF -- "$1" "$ERR" || fail "$2: no [$1] in: $(cat "$ERR")"; }

run_cmd --version
expect_status 0 "--version"
grep -qx "mirelith $VERSION" "$WORK/mirelith.out" || fail "version: $(cat "$WORK/mirelith.out")"
grep -qxF "log file: $BIN_W\\_QEM_NUV.txt" "$WORK/mirelith.out" ||
  fail "no log place beside the program: $(cat "$WORK/mirelith.out")"
pass "mirelith --version answers through cmd, with the log place"

run_cmd --help
expect_status 0 "--help"
for text in "Usage: mirelith -s" "-tcpport PORT" '\\.\COMn' "%LOCALAPPDATA%\\Mirelith" "FWNAME="; do
  grep -qF -- "$text" "$WORK/mirelith.out" || fail "help lacks [$text]"
done
for text in "/dev/" "--list" "SIGHUP" "XDG_STATE_HOME"; do
  ! grep -qF -- "$text" "$WORK/mirelith.out" || fail "help names [$text], which Windows has not"
done
pass "--help describes the Windows program"

make_image "$WORK/run/fw.fls" 300000
start_sim --tcp
run_cmd -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls
expect_status 0 "silent TCP run through cmd"
expect_received "$WORK/run/fw.fls"
[ "$(wc -l <"$ERR")" -eq 3 ] || fail "a pipe gets three lines: $(cat "$ERR")"
expect_err "mirelith: sending fw.fls (300,000 bytes) to T90 Prime (model 1112) on NET (127.0.0.1:$SIM_TCP); settings from the command line" "start line"
expect_err "mirelith: the printer is writing its firmware: 0:09 left" "settle line"
expect_err "mirelith: done: 300,000 bytes sent in " "end line"
expect_no_log
pass "a silent run waits, prints its start, settle and end lines and returns 0"

start_sim --refuse
run_cmd -s -q -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls
expect_status 2 "refused connection through cmd"
[ "$(wc -l <"$ERR")" -eq 1 ] || fail "-q keeps one line: $(cat "$ERR")"
expect_err "mirelith: failed: Socket Connect Error! ip=127.0.0.1, tcpport=$SIM_TCP" "refused end line"
expect_err "; logged to $BIN_W\\_QEM_NUV.txt" "log place"
expect_log_lines "Socket Connect Error! ip=127.0.0.1, tcpport=$SIM_TCP"
rm -f "$LOG"
pass "a refused run returns 2 with its reason and log place"

run_cmd -s -p PRN
expect_status 1 "invalid parameters through cmd"
expect_err "mirelith: invalid parameters" "invalid line"
pass "invalid parameters return 1"

# mirelith.exe, called by its full name, is the window program it always was: no terminal lines.
run_exe -s -p PRN
expect_status 1 "mirelith.exe invalid run"
[ ! -s "$WORK/mirelith.err" ] || [ -z "$(tr -d '\r' <"$WORK/mirelith.err" | grep '^mirelith:')" ] ||
  fail "mirelith.exe wrote terminal lines: $(cat "$WORK/mirelith.err")"
pass "mirelith.exe keeps to its window and its log"

# Ctrl+C (Wine turns SIGINT into it) in the settle phase after the image was sent: the run stops
# as interrupted, says so and returns 3.
start_sim --tcp
(cd "$WORK/run" && exec timeout 180 wine "$WORK/bin/mirelith.com" -s -p NET 127.0.0.1 \
    -tcpport "$SIM_TCP" -m "T90 Prime" -f fw.fls) >/dev/null 2>"$WORK/raw.err" &
pid=$!
for _ in $(seq 300); do
  [ "$(stat -c %s "$WORK/received.bin" 2>/dev/null || echo 0)" -ge 300000 ] && break
  sleep 0.05
done
[ "$(stat -c %s "$WORK/received.bin" 2>/dev/null || echo 0)" -ge 300000 ] || fail "the image was not sent"
sleep 0.5
kill -INT "$pid"
set +e
wait "$pid"
STATUS=$?
set -e
tr -d '\r' <"$WORK/raw.err" >"$ERR"
expect_status 3 "Ctrl+C in the settle phase"
# The count is what the printer acknowledged: Wine counts nothing, so it may be anything up to
# the whole image, never more.
grep -qE -- "^mirelith: interrupted by SIGINT after [0-9,]+ of 300,000 bytes" "$ERR" ||
  fail "interrupt line: $(cat "$ERR")"
pass "Ctrl+C stops a silent run with exit status 3"

#!/usr/bin/env bash
# Refused settings name what was refused and what is accepted, on stderr and in the result's
# reason (the log keeps "Invalid parameters", exit status 1); guesses are said as warnings and
# listed in the result; -f takes an absolute path; a firmware file that cannot be opened says why.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
RESULT="$WORK/r.json"
ERR="$WORK/mirelith.err"

# refused REASON ARGS... : an invalid run whose stderr line and result carry REASON.
refused() {
  local reason=$1; shift
  rm -f "$LOG" "$RESULT"
  run_mirelith --result "$RESULT" "$@"
  expect_status 1 "$*"
  expect_log_lines "Invalid parameters"
  grep -qxF "mirelith: invalid parameters (\"Invalid parameters\"): $reason; logged to $LOG; see mirelith --help" "$ERR" ||
    fail "$*: stderr: $(cat "$ERR")"
  expect_result "$RESULT" 'outcome="invalid"' exit_status=1 "reason=$(python3 -c 'import json,sys; print(json.dumps(sys.argv[1]))' "$reason")"
}

refused "-p FOO: not a port: COM1-COM256, LPT1-LPT256, USB, NET <address> or a device path" -s -p FOO
refused "-p /dev/sda: not a port: COM1-COM256, LPT1-LPT256, USB, NET <address> or a device path" -s -p /dev/sda
refused "-b 9600: -b follows a COM port (-p COM1 -b 9600)" -s -p NET 127.0.0.1 -b 9600
refused "-m needs a model name after it" -s -p COM1 -m
printf '[NUV]\r\nPORTTYPE=COM1\r\nMODELNAME=T90 Prime\r\n' >"$WORK/run/qemnuv.ini"
refused "MODELNAME=T90 Prime: qemnuv.ini takes only model names beginning with KAV, KEW, KIX, KOY or KUZ"
rm "$WORK/run/qemnuv.ini"
pass "each refusal names its cause on stderr and in the result"

# An absolute -f is used as it is, not glued to the start directory; a guess is said.
mkdir -p "$WORK/firmware"
make_image "$WORK/firmware/KAV_T90_060125.fls" 70000
start_sim --tcp
run_mirelith --result "$RESULT" -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prim" --verbose \
    -f "$WORK/firmware/KAV_T90_060125.fls"
expect_status 0 "absolute -f"
expect_received "$WORK/firmware/KAV_T90_060125.fls"
grep -qxF 'mirelith: warning: model "T90 Prim" is none of the models known by name (T90 Standard, T90 Prime): it is sent with the rules of model 1111 (T90 Standard)' "$ERR" ||
  fail "no model warning: $(cat "$ERR")"
grep -qxF 'mirelith: warning: --verbose: not an option of a silent run; skipped (the options are -m, -p, -b, -tcpport and -f)' "$ERR" ||
  fail "no skipped-word warning: $(cat "$ERR")"
python3 - "$RESULT" <<'PY' || fail "result: $(cat "$RESULT")"
import json, sys
r = json.load(open(sys.argv[1]))
assert r["outcome"] == "sent" and r["file"] == "KAV_T90_060125.fls", r
assert len(r["warnings"]) == 2 and r["warnings"][0].startswith("--verbose"), r["warnings"]
PY
pass "an absolute -f is taken as it is; guesses are warnings in stderr and the result"

# A firmware file that cannot be opened says why.
mkdir "$WORK/run/dir.fls"
start_sim --tcp
run_mirelith --result "$RESULT" -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f dir.fls
expect_status 2 "a directory as firmware"
expect_result "$RESULT" 'outcome="failed"' "reason=\"$WORK/run/dir.fls: a directory, not a file\""
run_mirelith --result "$RESULT" -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f none.fls
expect_status 2 "a missing firmware file"
expect_result "$RESULT" 'outcome="failed"' "reason=\"$WORK/run/none.fls: no such file\""
stop_sim
rm -f "$LOG"
pass "a firmware file that cannot be opened says why"

# -s not in first place: the window is asked for as before, and the user is told why.
(unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; run_mirelith -m KAV -s)
grep -qF 'mirelith: warning: -s must come first' "$ERR" || fail "-s warning: $(cat "$ERR")"
run_mirelith -V
expect_status 0 "-V"
grep -q '^mirelith [0-9]' "$WORK/mirelith.out" || fail "-V: $(cat "$WORK/mirelith.out")"
pass "-s out of place is said; -V gives the version"

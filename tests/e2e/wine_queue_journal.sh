#!/usr/bin/env bash
# The printer queue journal of the Windows build under Wine, in a Wine prefix of its own (so that
# `wineserver -k` ends nothing but this test's programs). A queue of Wine's spooler on LPT1: is
# written into its registry as an installed printer would be; LPT1 is a FIFO that stops being
# read after its 64 KiB buffer, so a silent LPT1 download stalls in the middle of its transfer.
# 1. During the download the queue is on FILE: and the journal is beside mirelith.exe; after
#    `wineserver -k` both stay; the next start (an Invalid run) gives the queue its port back,
#    logs "Restored printer queue ..." and removes the journal.
# 2. A garbage journal is refused with a log line and renamed, nothing applied.
# The Windows build is "$1/../build-win", or MIRELITH_WIN_BUILD when set.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
wine_init
wine_private_prefix "$WORK/wineprefix"
trap 'wineserver -k 2>/dev/null; e2e_cleanup' EXIT

KEY='HKLM\System\CurrentControlSet\Control\Print\Printers\Journal Test'
wine reg add "$KEY" /v Name /d "Journal Test" /f >/dev/null
wine reg add "$KEY" /v Port /d "LPT1:" /f >/dev/null
wine reg add "$KEY" /v "Printer Driver" /d "Generic / Text Only" /f >/dev/null
wine reg add "$KEY" /v Attributes /t REG_DWORD /d 576 /f >/dev/null
# Wine opens a printer only with a print processor it can load.
wine reg add "$KEY" /v "Print Processor" /d winprint /f >/dev/null
wine reg add "$KEY" /v Datatype /d RAW /f >/dev/null
port() { wine reg query "$KEY" /v Port 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }
journals() { find "$WORK/bin" -name '_QEM_NUV.queues.*.journal' | wc -l; }
[ "$(port)" = "LPT1:" ] || fail "the test printer could not be installed in Wine's registry"

mkfifo "$WORK/lpt1"
ln -sfn "$WORK/lpt1" "$WINEPREFIX/dosdevices/lpt1"
exec 3<>"$WORK/lpt1" # held open and never read: the writer stalls once the buffer is full
make_image "$WORK/run/fw.fls" 300000

# 1. Killed mid-transfer, replayed by the next start.
(cd "$WORK/run" && exec wine "$WORK/bin/mirelith.exe" -s -p LPT1 -m "T90 Prime" -f fw.fls) \
    >"$WORK/killed.out" 2>"$WORK/killed.err" &
pid=$!
for _ in $(seq 1 300); do
  [ "$(journals)" -eq 1 ] && [ "$(port)" = "FILE:" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the LPT1 run ended before it was killed: $(cat "$LOG" 2>/dev/null)"
  sleep 0.1
done
[ "$(port)" = "FILE:" ] || fail "the queue on LPT1: was not moved to FILE: (port $(port))"
[ "$(journals)" -eq 1 ] || fail "no journal beside mirelith.exe during the download"
grep -q "queue Journal%20Test LPT1: 0 0 0 %" "$WORK"/bin/_QEM_NUV.queues.*.journal ||
  fail "journal does not hold the queue's port: $(cat "$WORK"/bin/_QEM_NUV.queues.*.journal)"
wineserver -k
set +e
wait "$pid"
set -e
[ "$(port)" = "FILE:" ] || fail "the queue was given back although the run was killed"
[ "$(journals)" -eq 1 ] || fail "the killed run's journal is gone"
exec 3<&-

set +e
(cd "$WORK/run" && timeout 120 wine "$WORK/bin/mirelith.exe" -s -p PRN) >/dev/null 2>&1
STATUS=$?
set -e
expect_status 1 "Invalid run after the kill"
[ "$(port)" = "LPT1:" ] || fail "the queue did not get LPT1: back (port $(port))"
[ "$(journals)" -eq 0 ] || fail "the replayed journal was kept"
expect_log_lines "Restored printer queue Journal Test to LPT1:" "Invalid parameters"
pass "Windows build: a run killed by wineserver -k is undone by the next start"

# 2. A garbage journal.
rm -f "$LOG"
printf 'not a journal\r\n' >"$WORK/bin/_QEM_NUV.queues.77-1.journal"
set +e
(cd "$WORK/run" && timeout 120 wine "$WORK/bin/mirelith.exe" -s -p PRN) >/dev/null 2>&1
STATUS=$?
set -e
expect_status 1 "Invalid run with a garbage journal"
[ -f "$WORK/bin/_QEM_NUV.queues.77-1.journal.refused" ] || fail "the garbage journal was not set aside"
grep -q "Refused printer queue journal .*_QEM_NUV.queues.77-1.journal (not a printer queue journal); kept as " "$LOG" ||
  fail "no refusal in the log: $(cat "$LOG")"
[ "$(port)" = "LPT1:" ] || fail "the queue changed"
pass "Windows build: a garbage journal is refused and kept aside"

#!/usr/bin/env bash
# A root run and what an ordinary local user (here "nobody", through setpriv) can plant beside
# it: links where the log, the lock and the journal's temporary file go, journals of dead and of
# foreign live processes, a huge journal, a journal whose name holds a line break, settings and
# firmware in a directory that user owns, and a port variable aimed at a regular file. Nothing
# outside the program's own files may change, no queue may move, and each run ends with its own
# status and says why. The same root run from a root-owned directory still works.
source "$(dirname "$0")/lib.sh"
e2e_init "$1"
[ "$(id -u)" -eq 0 ] || { echo "SKIP: needs root" >&2; exit 77; }
command -v setpriv >/dev/null || { echo "SKIP: no setpriv" >&2; exit 77; }
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"; }
trap 'kill $(jobs -p) 2>/dev/null || true; e2e_cleanup' EXIT

chmod 755 "$WORK"
BIN="$WORK/bin"
VICTIM="$WORK/root-only"
printf 'root secret\n' >"$VICTIM"
chmod 600 "$VICTIM"
victim_unchanged() {
  [ "$(cat "$VICTIM")" = "root secret" ] || fail "$1: the root-only file was changed"
  [ ! -e "$WORK/made" ] || fail "$1: a file was created through a planted link"
}
make_image "$WORK/run/fw.fls" 4096
# A start with nothing to restore and a closed port: a failure that writes the log.
closed_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# 1. Links where the log, the lock and a journal's temporary file go, in a root-owned program
#    directory (planted by a careless administrator, or left from before): never followed.
ln -s "$VICTIM" "$BIN/_QEM_NUV.txt"
ln -s "$WORK/made" "$BIN/_QEM_NUV.queues.lock"
printf 'not a journal\n' >"$BIN/_QEM_NUV.queues.1-x.journal"
chmod 600 "$BIN/_QEM_NUV.queues.1-x.journal"
ln -s "$VICTIM" "$BIN/_QEM_NUV.queues.1-x.journal.tmp"
run_mirelith -s -p NET 127.0.0.1 -tcpport "$(closed_port)" -m "T90 Prime" -f fw.fls
expect_status 2 "a failed run beside planted links"
victim_unchanged "links beside the program"
grep -q "the log $BIN/_QEM_NUV.txt cannot be written (it is a symbolic link, which is not followed)" \
  "$WORK/mirelith.err" || fail "the refused log is not explained: $(cat "$WORK/mirelith.err")"
grep -q "Socket Connect Error" "$WORK/mirelith.err" || fail "the log's lines were lost"
[ -f "$BIN/_QEM_NUV.queues.1-x.journal.refused" ] || fail "the torn journal was not set aside"
rm -f "$BIN"/_QEM_NUV*
pass "log, lock and journal links are refused, never followed"

# 2. Journals the system must not believe: another user's, one others may write, a huge sparse
#    one, a link to /dev/zero, and one whose name holds a line break. Each is refused and set
#    aside, and the start goes on to its own end.
journal_text() { printf 'mirelith-queue-journal 1\nowner %s %s\nqueue Office COM1: 0 0 0 3%%0A1%%0Aserial:/dev/ttyS7?attacker%%0A\nend 1\n' "$1" "$2"; }
journal_text 999999 dead >"$BIN/_QEM_NUV.queues.2-a.journal"
chown nobody "$BIN/_QEM_NUV.queues.2-a.journal"
journal_text 999999 dead >"$BIN/_QEM_NUV.queues.3-b.journal"
chmod 666 "$BIN/_QEM_NUV.queues.3-b.journal"
truncate -s 8G "$BIN/_QEM_NUV.queues.4-c.journal"
ln -s /dev/zero "$BIN/_QEM_NUV.queues.5-d.journal"
NAME=$'_QEM_NUV.queues.x\nsh "$(id)" #.journal'
printf 'garbage\n' >"$BIN/$NAME"
chmod 600 "$BIN/$NAME"
run_mirelith -s -p NET 127.0.0.1 -tcpport "$(closed_port)" -m "T90 Prime" -f fw.fls
expect_status 2 "a start beside refused journals"
victim_unchanged "refused journals"
for why in "owned by another user" "writable by other users" "larger than 65536 bytes" \
           "a symbolic link, not followed"; do
  grep -q "Refused printer queue journal .* ($why)" "$LOG" || fail "no refusal '$why' in the log"
done
# The line break in the name stays inside its one line.
if tr -d '\r' <"$LOG" | grep -q '^sh '; then fail "a journal name started a log line"; fi
grep -q 'queues.x\\nsh' "$LOG" || fail "the name with a line break is not shown escaped"
[ "$(find "$BIN" -name '*.refused' -printf x | wc -c)" -eq 5 ] || fail "not every refused journal was set aside"
rm -f "$BIN"/_QEM_NUV*
pass "foreign, shared, huge, linked and oddly named journals are refused"

# 3. A journal whose owner is a live process of another program (a sleep that ends during the
#    run) claims the queue on the printer's own port, with a port of the attacker's choosing to
#    give back; a journal of a dead run claims it too. The run moves the queue aside itself and,
#    stopped in the middle, gives it its own port back.
if start_private_cupsd optional; then
  start_sim --pty
  lpadmin -p Office -E -v "serial:$SIM_PTY?baud=115200"
  before=$(queue_line Office)
  sleep 1 &
  SLEEP=$!
  ticks=$(awk '{ sub(/.*\) /, ""); split($0, f, " "); print f[20] }' "/proc/$SLEEP/stat")
  boot=$(tr -d '-' </proc/sys/kernel/random/boot_id)
  journal_text "$SLEEP" "$boot-$ticks" >"$BIN/_QEM_NUV.queues.$SLEEP-x.journal"
  journal_text 999999 dead >"$BIN/_QEM_NUV.queues.999999-y.journal"
  chmod 600 "$BIN"/_QEM_NUV.queues.*.journal
  (cd "$WORK/run" && MIRELITH_COM1="$SIM_PTY" exec "$MIRELITH" -s -p COM1 -m "T90 Prime" -f fw.fls) \
      >"$WORK/mirelith.out" 2>"$WORK/mirelith.err" &
  RUN=$!
  wait "$SLEEP" || true # the claimed owner ends while the run goes on
  sleep 0.5
  kill -TERM "$RUN"
  set +e
  wait "$RUN"
  STATUS=$?
  set -e
  expect_status 3 "a run beside journals of a sleep and of a dead run, stopped"
  [ "$(queue_line Office)" = "$before" ] || fail "the queue was changed: $(queue_line Office)"
  rm -f "$BIN"/_QEM_NUV*
  pass "a live non-program owner and a dead one move no queue"
fi

# 4. A program directory the ordinary user owns: the root run keeps nothing there; its log goes
#    to /var/log/mirelith, and the user's links there are never touched.
chown nobody "$BIN"
as_nobody ln -s "$VICTIM" "$BIN/_QEM_NUV.txt"
as_nobody ln -s "$WORK/made" "$BIN/_QEM_NUV.queues.lock"
run_mirelith -s -p NET 127.0.0.1 -tcpport "$(closed_port)" -m "T90 Prime" -f fw.fls
expect_status 2 "a failed root run from the user's directory"
victim_unchanged "the user's program directory"
grep -q "logged to /var/log/mirelith/_QEM_NUV.txt" "$WORK/mirelith.err" ||
  fail "the log did not go to /var/log/mirelith: $(cat "$WORK/mirelith.err")"
[ "$(stat -c %a /var/log/mirelith)" = 700 ] || fail "/var/log/mirelith is not private"
rm -f "$BIN"/_QEM_NUV*
chown root "$BIN"
pass "a root run from a user's directory logs to /var/log/mirelith"

# 5. Settings and firmware from a directory the user owns, or through the user's link, are not
#    used: exit status 1 with the file and the reason; the printer receives nothing.
mkdir "$WORK/theirs"
chown nobody "$WORK/theirs"
start_sim --tcp
as_nobody ln -s "$VICTIM" "$WORK/theirs/KAV_T90_010226.fls"
as_nobody sh -c "printf '[NUV]\r\nPORTTYPE=NET\r\nIP=127.0.0.1\r\nTCPPORT=%s\r\nMODELNAME=KAV_T90\r\nFWNAME=KAV_T90_010226.fls\r\n' $SIM_TCP >'$WORK/theirs/qemnuv.ini'"
set +e
(cd "$WORK/theirs" && timeout 60 "$MIRELITH" -s) >"$WORK/mirelith.out" 2>"$WORK/mirelith.err"
STATUS=$?
set -e
expect_status 1 "an INI file in the user's directory"
grep -q "qemnuv.ini is not used by a run as root: the directory $WORK/theirs is owned by user $(id -u nobody)" \
  "$WORK/mirelith.err" || fail "the refused INI file is not explained: $(cat "$WORK/mirelith.err")"
ln -s "$VICTIM" "$WORK/run/secret.fls"
chown -h nobody "$WORK/run/secret.fls"
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f secret.fls
expect_status 1 "firmware through the user's link"
grep -q "the firmware file secret.fls is not used by a run as root: the symbolic link $WORK/run/secret.fls is owned by user" \
  "$WORK/mirelith.err" || fail "the refused firmware is not explained: $(cat "$WORK/mirelith.err")"
stop_sim
[ ! -s "$WORK/received.bin" ] || fail "the printer received the secret"
# The administrator's own link to the administrator's own file is fine.
ln -s "$WORK/run/fw.fls" "$WORK/run/mine.fls"
start_sim --tcp
run_mirelith -s -p NET 127.0.0.1 -tcpport "$SIM_TCP" -m "T90 Prime" -f mine.fls
expect_status 0 "firmware through root's own link"
expect_received "$WORK/run/fw.fls"
pass "settings and firmware a user could have chosen are refused with the reason"

# 6. A port variable aimed at a regular file: the open fails as the port's, nothing is written.
MIRELITH_LPT1="$VICTIM" run_mirelith -s -p LPT1 -m "T90 Prime" -f fw.fls
expect_status 2 "LPT1 at a regular file"
victim_unchanged "LPT1 at a regular file"
grep -q "$VICTIM: not a device" "$WORK/mirelith.err" || fail "no reason: $(cat "$WORK/mirelith.err")"
pass "a port must be a character device"

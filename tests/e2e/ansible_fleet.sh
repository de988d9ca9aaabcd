#!/usr/bin/env bash
# The Ansible role against a fleet of local hosts, each with its own working directory and its
# own printer-sim on 127.0.0.1 (or a pseudo-terminal): one takes the image over TCP and one over
# a serial line, one refuses connections, one stops reading (its run is cut short by the role's
# run time limit, so the stall costs seconds, not the program's 30 s network limit), one has
# settings the program rejects, one cannot be deployed to. The summary table must agree with what the simulators received, and a second play must
# not send again to the printers that have the image.
source "$(dirname "$0")/lib.sh"
fleet_init "$1"
PLAYBOOK="$(cd "$(dirname "$0")/../.." && pwd)/deploy/ansible/update-printers.yml"

# row HOST : the host's line of the summary table, as words.
row() { grep "^$1 " "$WORK/reports/summary.txt" || fail "no summary row for $1"; }
expect_row() {
  local host=$1 pattern=$2
  row "$host" | grep -Eq "$pattern" || fail "summary row of $host: [$(row "$host")], expected /$pattern/"
}

mkdir -p "$WORK/hosts"
: >"$WORK/not-a-directory"
# Large enough that a printer that stops reading really blocks the sender.
IMAGE="$WORK/KAV_T90_010226.fls"
make_image "$IMAGE" 20000000
SIZE=20000000

host_sim good --tcp
host_sim refusing --refuse
host_sim stalling --tcp --stall-after 100000
# A serial printer on a pseudo-terminal, reached through a device-node override, with an image
# of its own (the serial path paces its packets, so a large one would take long).
"$SIM" --pty --info-file "$WORK/sims/serial.info" --output "$WORK/sims/serial.bin" \
    >/dev/null 2>"$WORK/sims/serial.err" &
SIM_PIDS+=($!)
for i in $(seq 1 100); do [ -s "$WORK/sims/serial.info" ] && break; sleep 0.05; done
PTY_serial=$(sed -n 's/^pty=//p' "$WORK/sims/serial.info")
[ -n "$PTY_serial" ] || fail "printer-sim for serial did not start"
SERIAL_IMAGE="$WORK/KAV_T90_030326.fls"
make_image "$SERIAL_IMAGE" 30000

# The stalling host's time limit lets the program start and hash the image first even on a busy
# machine: a SIGTERM before that ends the process before it can write a result.
cat >"$WORK/inventory.ini" <<EOF
[printers]
good     mirelith_tcp_port=$PORT_good
refusing mirelith_tcp_port=$PORT_refusing
stalling mirelith_tcp_port=$PORT_stalling mirelith_run_timeout=10
invalid  mirelith_tcp_port=$PORT_good mirelith_model="T90 Prime"
broken   mirelith_tcp_port=$PORT_good mirelith_dir=$WORK/not-a-directory/sub
serial   mirelith_port=COM3 mirelith_device=$PTY_serial mirelith_firmware=$SERIAL_IMAGE

[printers:vars]
ansible_connection=local
ansible_python_interpreter="{{ ansible_playbook_python }}"
mirelith_dir=$WORK/hosts/{{ inventory_hostname }}
mirelith_port=NET
mirelith_address=127.0.0.1
mirelith_model=KAV_T90
mirelith_firmware=$IMAGE
mirelith_binary=$MIRELITH
mirelith_report_dir=$WORK/reports
EOF

export ANSIBLE_NOCOLOR=1 ANSIBLE_FORCE_COLOR=0 ANSIBLE_RETRY_FILES_ENABLED=0
export ANSIBLE_LOCAL_TEMP="$WORK/ansible-local" ANSIBLE_REMOTE_TEMP="$WORK/ansible-remote"
# play [ARGS...] : runs the playbook; sets PLAY_STATUS, keeps the output in play.out.
play() {
  set +e
  timeout 300 ansible-playbook -i "$WORK/inventory.ini" --forks 10 "$PLAYBOOK" "$@" \
      >"$WORK/play.out" 2>&1
  PLAY_STATUS=$?
  set -e
  [ -f "$WORK/reports/summary.txt" ] || { cat "$WORK/play.out" >&2; fail "no summary table"; }
}

# --- First play: every outcome once. ---
started=$(date +%s)
play
elapsed=$(( $(date +%s) - started ))
[ "$PLAY_STATUS" -eq 2 ] || { cat "$WORK/play.out" >&2; fail "first play: exit status $PLAY_STATUS, expected 2 (failed hosts)"; }
grep -q "HOST .* OUTCOME" "$WORK/play.out" || fail "the table is not in the play's output"

# The table agrees with the printers: the whole image only at the good one.
[ "$(received good)" -eq "$SIZE" ] || fail "good printer received $(received good) bytes"
cmp -s "$IMAGE" "$WORK/sims/good.bin" || fail "good printer received other bytes than the image"
expect_row good " sent +- +$SIZE/$SIZE +this run .*KAV_T90_010226.fls to 127.0.0.1:$PORT_good"
[ "$(connections refusing)" -eq 0 ] || fail "the refusing printer accepted a connection"
expect_row refusing " failed .*Socket Connect Error! ip=127.0.0.1, tcpport=$PORT_refusing"
[ "$(received stalling)" -eq 100000 ] || fail "stalling printer received $(received stalling) bytes"
expect_row stalling " interrupted .*/$SIZE +this run +stopped after 10 s"
expect_row invalid " invalid +- +0/(-|[0-9]+) +this run +Invalid parameters"
expect_row broken " error .*Create the working directory"
cmp -s "$SERIAL_IMAGE" "$WORK/sims/serial.bin" || fail "serial printer received $(received serial) bytes"
expect_row serial " sent +- +30000/30000 +this run .*KAV_T90_030326.fls to $PTY_serial"
pass "first play: one row per host, as the printers saw it (${elapsed}s)"

# Each host's result and (for failures) its log were brought back.
for host in good refusing stalling invalid serial; do
  [ -s "$WORK/reports/$host/mirelith-result.json" ] || fail "no result fetched for $host"
done
[ ! -e "$WORK/reports/good/_QEM_NUV.txt" ] || fail "a log was fetched for the good host"
tr -d '\r' <"$WORK/reports/refusing/_QEM_NUV.txt" |
  grep -q "  Socket Connect Error! ip=127.0.0.1, tcpport=$PORT_refusing$" ||
  fail "refusing host's log: $(cat "$WORK/reports/refusing/_QEM_NUV.txt")"
grep -q '"outcome": *"interrupted"' "$WORK/reports/stalling/mirelith-result.json" ||
  fail "stalling host's result: $(cat "$WORK/reports/stalling/mirelith-result.json")"
grep -q 'FWNAME=KAV_T90_010226.fls' "$WORK/hosts/good/qemnuv.ini" || fail "qemnuv.ini: $(cat "$WORK/hosts/good/qemnuv.ini")"
pass "results and logs fetched"

# --- Second play: the printer that has the image is left alone, the others are tried again. ---
play
[ "$PLAY_STATUS" -eq 2 ] || { cat "$WORK/play.out" >&2; fail "second play: exit status $PLAY_STATUS"; }
[ "$(connections good)" -eq 1 ] || fail "the good printer was contacted again ($(connections good) connections)"
[ "$(received good)" -eq "$SIZE" ] || fail "good printer received $(received good) bytes after the second play"
expect_row good " sent +- +$SIZE/$SIZE +earlier "
[ "$(connections stalling)" -eq 2 ] || fail "the stalling printer was not tried again"
[ "$(received serial)" -eq 30000 ] || fail "the serial printer was sent to again"
expect_row stalling " interrupted .* this run "
pass "second play sends nothing new to the updated printer"

# --- The two updated hosts again: the good one gets a new image, the serial one's result was
# damaged. Both are sent to, and with every printer of the play updated the play succeeds. ---
NEW="$WORK/KAV_T90_020226.fls"
make_image "$NEW" 300000
sed -i "s|^good .*|& mirelith_firmware=$NEW|" "$WORK/inventory.ini"
echo '{"outcome": "sent", "sha' >"$WORK/hosts/serial/mirelith-result.json"
play --limit good,serial
[ "$PLAY_STATUS" -eq 0 ] || { cat "$WORK/play.out" >&2; fail "play of the updated hosts: exit status $PLAY_STATUS"; }
[ "$(connections good)" -eq 2 ] || fail "a new image was not sent"
[ "$(received good)" -eq $((SIZE + 300000)) ] || fail "good printer holds $(received good) bytes"
expect_row good " sent +- +300000/300000 +this run "
[ "$(received serial)" -eq 60000 ] || fail "serial printer holds $(received serial) bytes after its result was damaged"
expect_row serial " sent +- +30000/30000 +this run "
[ "$(wc -l <"$WORK/reports/summary.txt")" -eq 3 ] || fail "summary of a limited play: $(cat "$WORK/reports/summary.txt")"
pass "a changed image or a damaged result sends again; exit status 0 when every printer is updated"

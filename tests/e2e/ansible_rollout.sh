#!/usr/bin/env bash
# The Ansible role by the printers' own word, against local hosts each with its own printer-sim
# on 127.0.0.1: with mirelith_expected_version a printer already current receives nothing, an
# update that takes shows both versions, a printer back with its old version or never back is
# unverified and fails the play; a staged roll-out stops after the batch with such a printer and
# lists the later hosts as not tried (also after a host that cannot be reached); the audit
# playbook's table agrees with what each simulator was told to answer, and sends nothing.
source "$(dirname "$0")/lib.sh"
fleet_init "$1"
DEPLOY="$(cd "$(dirname "$0")/../.." && pwd)/deploy/ansible"

# row FILE HOST : the host's line of a table, as words.
row() { grep "^$2 " "$WORK/reports/$1" || fail "no row for $2 in $1: $(cat "$WORK/reports/$1")"; }
expect_row() {
  local file=$1 host=$2 pattern=$3
  row "$file" "$host" | grep -Eq "$pattern" || fail "$file row of $host: [$(row "$file" "$host")], expected /$pattern/"
}

IMAGE="$WORK/KAV_T90_020000.fls"
make_image "$IMAGE" 4096

# What each printer says. "mute" says nothing of itself (each question then waits its 2 s, so it
# is only audited); the serial number of "takes" is text a template engine would act on.
host_sim current --tcp --version 2.00 --maker Voranex --model "T90 Prime" --serial C-1
host_sim takes --tcp --version 1.20 --maker Voranex --model "T90 Standard" --serial "{{ 7 * 7 }}" \
  --restart-seconds 1 --version-after 2.00
host_sim forced --tcp --version 2.00 --restart-seconds 1
host_sim old --tcp --version 1.20 --restart-seconds 1
host_sim gone --tcp --version 1.20 --never-back
host_sim mute --tcp
for name in first later1 later2; do
  host_sim "$name" --tcp --version 1.20 --restart-seconds 1 --version-after 2.00
done
host_sim bad --tcp --version 1.20 --restart-seconds 1

cat >"$WORK/inventory.ini" <<EOF
[printers]
current mirelith_tcp_port=$PORT_current
takes   mirelith_tcp_port=$PORT_takes
forced  mirelith_tcp_port=$PORT_forced mirelith_force=true
unquoted mirelith_tcp_port=$PORT_current mirelith_expected_version=2.00
old     mirelith_tcp_port=$PORT_old
gone    mirelith_tcp_port=$PORT_gone
mute    mirelith_tcp_port=$PORT_mute
first   mirelith_tcp_port=$PORT_first
bad     mirelith_tcp_port=$PORT_bad
nohost  ansible_connection=ssh ansible_host=127.0.0.1 ansible_port=1 mirelith_tcp_port=1
later1  mirelith_tcp_port=$PORT_later1
later2  mirelith_tcp_port=$PORT_later2

[printers:vars]
ansible_connection=local
ansible_python_interpreter="{{ ansible_playbook_python }}"
mirelith_dir=$WORK/hosts/{{ inventory_hostname }}
mirelith_address=127.0.0.1
mirelith_model=KAV_T90
mirelith_firmware=$IMAGE
mirelith_binary=$MIRELITH
mirelith_report_dir=$WORK/reports
mirelith_expected_version="2.00"
mirelith_verify_timeout=4
EOF

export ANSIBLE_NOCOLOR=1 ANSIBLE_FORCE_COLOR=0 ANSIBLE_RETRY_FILES_ENABLED=0
export ANSIBLE_LOCAL_TEMP="$WORK/ansible-local" ANSIBLE_REMOTE_TEMP="$WORK/ansible-remote"
export ANSIBLE_HOST_KEY_CHECKING=0
# play PLAYBOOK ARGS... : sets PLAY_STATUS, keeps the output in play.out.
play() {
  local playbook=$1
  shift
  set +e
  timeout 300 ansible-playbook -i "$WORK/inventory.ini" --forks 10 "$DEPLOY/$playbook" "$@" \
      >"$WORK/play.out" 2>&1
  PLAY_STATUS=$?
  set -e
}
expect_status() {
  [ "$PLAY_STATUS" -eq "$1" ] || { cat "$WORK/play.out" >&2; fail "$2: exit status $PLAY_STATUS, expected $1"; }
}

# --- Every host at once, by the printers' word. ---
play update-printers.yml --limit current,takes,forced,unquoted,old,gone
expect_status 2 "a play with unverified printers"
[ "$(received current)" -eq 0 ] || fail "the current printer received $(received current) bytes"
expect_row summary.txt current " current +2\.00 +- +this run +nothing sent"
cmp -s "$IMAGE" "$WORK/sims/takes.bin" || fail "the printer whose update takes received $(received takes) bytes"
expect_row summary.txt takes " sent +1\.20 -> 2\.00 +4096/4096 +this run "
[ "$(received forced)" -eq 4096 ] || fail "mirelith_force did not send to a current printer"
expect_row summary.txt forced " sent +2\.00 -> 2\.00 "
expect_row summary.txt unquoted " error .*mirelith_expected_version is the number 2\.0; write it in quotes"
expect_row summary.txt old " unverified +1\.20 -> 1\.20 +4096/4096 .*Firmware not verified: printer reports 1\.20, expected 2\.00"
expect_row summary.txt gone " unverified +1\.20 -> \? .*Firmware not verified: no answer within 4 s"
grep -q "^fatal: \[old\]" "$WORK/play.out" || fail "the unverified host did not fail"
grep -q "^fatal: \[takes\]" "$WORK/play.out" && fail "the verified host failed"
grep -q "HOST .* OUTCOME .* VERSION" "$WORK/play.out" || fail "the table is not in the play's output"
grep -q '"printer_version_after": "2.00"' "$WORK/reports/takes/mirelith-result.json" ||
  fail "result of takes: $(cat "$WORK/reports/takes/mirelith-result.json")"
pass "current printers receive nothing, updates are verified, VERSION says before -> after"

# Again: the updated printer is now current too.
play update-printers.yml --limit current,takes
expect_status 0 "a second play"
[ "$(received takes)" -eq 4096 ] || fail "the updated printer was sent to again"
expect_row summary.txt takes " current +2\.00 "
pass "a second play sends nothing to printers that run the expected version"

# --- A staged roll-out: a good first batch, a bad second one, and the rest never tried. ---
play update-printers.yml --limit first,bad,later1,later2 -e '{"mirelith_batches": [1, 1, "100%"]}'
expect_status 2 "a roll-out stopped by an unverified printer"
expect_row summary.txt first " sent +1\.20 -> 2\.00 "
expect_row summary.txt bad " unverified +1\.20 -> 1\.20 "
for host in later1 later2; do
  expect_row summary.txt $host " not tried +- +- +- +the roll-out stopped after a batch with a printer not updated"
  [ "$(connections $host)" -eq 0 ] || fail "$host was contacted in a stopped roll-out"
done
[ "$(wc -l <"$WORK/reports/summary.txt")" -eq 5 ] || fail "summary: $(cat "$WORK/reports/summary.txt")"
grep -q "1 of 4 hosts done, all updated; the roll-out goes on" "$WORK/play.out" ||
  fail "the first batch did not say the roll-out goes on"
[ "$(grep -c '"HOST  *OUTCOME' "$WORK/play.out")" -eq 1 ] || fail "the table was shown more than once"
pass "a staged roll-out stops after the batch with an unverified printer"

play update-printers.yml --limit nohost,later1 -e 'mirelith_batches=[1,1]'
expect_status 2 "a roll-out stopped by an unreachable host"
expect_row summary.txt nohost " unreachable "
expect_row summary.txt later1 " not tried "
[ "$(connections later1)" -eq 0 ] || fail "later1 was contacted after an unreachable host"
pass "a host that cannot be reached stops the roll-out too"

# --- The audit: what every printer says, and nothing sent. ---
before=$(cat "$WORK"/sims/*.bin 2>/dev/null | wc -c)
play audit-printers.yml --limit current,takes,gone,mute,later1,nohost
expect_status 2 "an audit with printers that could not be asked"
expect_row audit.txt current " Voranex +T90 Prime +2\.00 +C-1 *$"
expect_row audit.txt takes " Voranex +T90 Standard +2\.00 +\{\{ 7 \* 7 \}\} *$"
expect_row audit.txt later1 " unknown +unknown +1\.20 +unknown *$"
expect_row audit.txt gone " - +- +- +- +127\.0\.0\.1:$PORT_gone: connection refused"
expect_row audit.txt mute " unknown +unknown +unknown +unknown +the printer did not say its firmware version"
expect_row audit.txt nohost " - +- +- +- +.*ssh"
grep -q "^3 of 6 printers said their firmware: 1\.20 on 1, 2\.00 on 2$" "$WORK/reports/audit.txt" ||
  fail "audit count: $(tail -1 "$WORK/reports/audit.txt")"
grep -q "HOST .* MAKER .* FIRMWARE" "$WORK/play.out" || fail "the audit table is not in the play's output"
[ "$(cat "$WORK"/sims/*.bin 2>/dev/null | wc -c)" -eq "$before" ] || fail "the audit sent image bytes"
pass "the audit table agrees with the printers and sends nothing"

#!/usr/bin/env bash
# Without a display the program says so in one line on standard error and ends with status 4:
# with neither DISPLAY nor WAYLAND_DISPLAY set, and with a DISPLAY that names no X server (where
# Qt itself would abort with its own messages). The program given is mirelith, which hands the
# interactive run over to mirelith-gui beside it: the run's arguments go with it, and what
# start-up warns of is said once.
set -u
PROGRAM=$(realpath "$1")
WORK=$(mktemp -d "${TMPDIR:-/tmp}/mirelith-nodisplay.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
failures=0
# expect_lines WHAT LINES ARGS -- ENV... : status 4, exactly LINES lines on stderr, the last the
# program's word on the display, nothing on stdout.
expect_lines() {
  local what=$1 want=$2 args=$3; shift 3
  # shellcheck disable=SC2086
  (cd "$WORK" && env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY "$@" "$PROGRAM" $args \
      >"$WORK/out" 2>"$WORK/err")
  local status=$?
  local lines
  lines=$(wc -l <"$WORK/err")
  if [ "$status" -ne 4 ] || [ "$lines" -ne "$want" ] ||
      ! tail -1 "$WORK/err" | grep -q '^mirelith: .*display' || [ -s "$WORK/out" ]; then
    echo "FAIL $what: status $status, $lines line(s) on stderr:" >&2
    cat "$WORK/err" >&2
    failures=$((failures + 1))
  else
    echo "ok   $what: $(tail -1 "$WORK/err")"
  fi
}
expect_lines "no DISPLAY" 1 "" env -u DISPLAY
# A display number no server listens on.
expect_lines "unreachable DISPLAY" 1 "" env DISPLAY=:7351
# Options after a first word other than -s ask for the window; the warning comes once.
expect_lines "arguments handed over" 2 "-m T90 -s" env -u DISPLAY
grep -c "warning: -s must come first" "$WORK/err" | grep -qx 1 ||
  { echo "FAIL the warning is not said exactly once" >&2; failures=$((failures + 1)); }
[ -z "$(ls -A "$WORK" | grep -v -e '^out$' -e '^err$')" ] || { echo "FAIL left files" >&2; failures=$((failures + 1)); }
echo "$((3 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]

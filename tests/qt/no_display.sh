#!/usr/bin/env bash
# Without a display the program built with the window says so in one line on standard error
# and ends with status 4: with neither DISPLAY nor WAYLAND_DISPLAY set, and with a DISPLAY that
# names no X server (where Qt itself would abort with its own messages).
set -u
PROGRAM=$(realpath "$1")
WORK=$(mktemp -d "${TMPDIR:-/tmp}/mirelith-nodisplay.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
failures=0
expect_one_line() {
  local what=$1; shift
  (cd "$WORK" && env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY "$@" "$PROGRAM" \
      >"$WORK/out" 2>"$WORK/err")
  local status=$?
  local lines
  lines=$(wc -l <"$WORK/err")
  if [ "$status" -ne 4 ] || [ "$lines" -ne 1 ] || ! grep -q '^mirelith: ' "$WORK/err" \
      || [ -s "$WORK/out" ]; then
    echo "FAIL $what: status $status, $lines line(s) on stderr:" >&2
    cat "$WORK/err" >&2
    failures=$((failures + 1))
  else
    echo "ok   $what: $(cat "$WORK/err")"
  fi
}
expect_one_line "no DISPLAY" env -u DISPLAY
# A display number no server listens on.
expect_one_line "unreachable DISPLAY" env DISPLAY=:7351
[ -z "$(ls -A "$WORK" | grep -v -e '^out$' -e '^err$')" ] || { echo "FAIL left files" >&2; failures=$((failures + 1)); }
echo "$((2 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]

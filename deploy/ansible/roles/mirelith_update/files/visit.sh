# The host's half of a visit by the role: these functions start every command that
# action_plugins/mirelith_printer.py runs on a host, followed by the calls for that command.
# POSIX sh and coreutils only: a command costs the host one shell, where a module would cost it
# a Python start and its imports, which for a fleet weighs more than the printers' own work.
# The decisions are taken on the controller; here files are placed, the program is run, and
# what it left is printed as "key=value" lines and "file:NAME:BASE64" lines.

say() { printf '%s=%s\n' "$1" "$(printf '%s' "$2" | tr '\n' ' ')"; }
stop() { say error "$1: $2"; exit 0; }

# As root every file here is made root's: a run as root believes its settings, firmware, log
# and journals only from a directory that belongs to root and that no other user can write.
# own PATH MODE : changes only what differs, so that a directory of another user with the right
# mode is no failure when the play does not run as root.
own() {
  set -- "$1" "$2" "$(stat -c '%a %u %g' -- "$1")" || return 1
  if [ "$uid" = 0 ] && [ "${3#* }" != "0 0" ]; then chown 0:0 -- "$1" || return 1; fi
  [ "${3%% *}" = "$2" ] || chmod "$2" -- "$1"
}

# enter DIR : the working directory, made when missing.
enter() {
  uid=$(id -u)
  need=
  if [ ! -d "$1" ]; then
    msg=$(mkdir -p -- "$1" 2>&1) || stop "Create the working directory" "$msg"
  fi
  msg=$(own "$1" 755 2>&1) || stop "Create the working directory" "$msg"
  cd -- "$1" 2>/dev/null || stop "Create the working directory" "cannot enter $1"
}

# place NAME SHA256 MODE [STAGED] : the file as the controller has it, taken from STAGED (sent
# there by the controller) or found here already; otherwise its name is added to the need.
place() {
  if [ -n "${4:-}" ]; then
    msg=$(mv -f -- "$4" ".$1.incoming" 2>&1) || stop "Copy $1" "$msg"
    sum=$(sha256sum <".$1.incoming")
    if [ "${sum%% *}" != "$2" ]; then
      rm -f -- ".$1.incoming"
      stop "Copy $1" "the copy differs from the controller's"
    fi
    msg=$({ own ".$1.incoming" "$3" && mv -f -- ".$1.incoming" "$1"; } 2>&1) || stop "Copy $1" "$msg"
    return 0
  fi
  sum=$( { sha256sum <"$1"; } 2>/dev/null)
  if [ "${sum%% *}" != "$2" ]; then
    need="$need $1"
    return 0
  fi
  msg=$(own "$1" "$3" 2>&1) || stop "Copy $1" "$msg"
}

# settings TEXT : qemnuv.ini with exactly this text.
settings() {
  msg=$({ printf '%s' "$1" >.qemnuv.ini.incoming && own .qemnuv.ini.incoming 644; } 2>&1) ||
    stop "Write qemnuv.ini" "$msg"
  if cmp -s .qemnuv.ini.incoming qemnuv.ini; then
    rm -f .qemnuv.ini.incoming
  else
    msg=$(mv -f .qemnuv.ini.incoming qemnuv.ini 2>&1) || stop "Write qemnuv.ini" "$msg"
  fi
}

# ready : stops here, naming the files the controller must send, when any is missing.
ready() {
  if [ -n "$need" ]; then
    say need "$need"
    exit 0
  fi
}

# emit NAME [BYTES] : the file (its last BYTES only, when given) for the controller.
emit() {
  [ -f "$1" ] || return 0
  printf 'file:%s:' "$1"
  if [ -n "${2:-}" ]; then tail -c "$2" -- "$1"; else cat -- "$1"; fi | base64 | tr -d '\n'
  echo
}

# identify COMMAND... : the program's --identify with the host's port options.
identify() {
  rm -f mirelith-identify.json
  # Four questions of at most 2 s each, after a connection that may take its 30 s limit.
  timeout --kill-after=10 120 "$@" --result mirelith-identify.json >/dev/null 2>.mirelith-identify.err
  say identify_status $?
  say identify_stderr "$(grep -v '^ *$' .mirelith-identify.err | tail -n 1)"
  emit mirelith-identify.json
}

# download SECONDS COMMAND... : one silent download, stopped with SIGTERM after SECONDS (which
# the program turns into the outcome "interrupted", with its result and log).
download() {
  t=$1
  shift
  rm -f mirelith-result.json
  timeout --kill-after=30 "$t" "$@" --result mirelith-result.json >/dev/null 2>.mirelith-run.err
  say run_status $?
  say run_stderr "$(grep -v '^ *$' .mirelith-run.err | tail -n 1)"
}

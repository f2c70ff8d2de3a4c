#!/usr/bin/env bash
# A whole session of the real program, driven by keys like a pupil would, under strace: it must
# open no file for writing, change nothing on disk, start no other program, talk only to the
# display and the desktop's session bus, and only probe ImpostazioniZu.dat (open it read-only and
# close it, without reading it). Runs inside xsession.sh (DISPLAY, XDG_RUNTIME_DIR, a window
# manager that gives the windows focus).
#   nothing_written.sh PROGRAM
set -euo pipefail

fail() { echo "nothing_written: FAIL: $*"; exit 1; }

# Outside: a session bus of our own, as every desktop has one; Qt asks it whether a screen reader
# is listening. Without any bus the D-Bus library would start one itself (dbus-launch), which
# writes under the home and outlives the program: that is the library's doing, not a desktop's.
if [ "${1:-}" != --inner ]; then
  [ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
  prog=$(readlink -f "$1")
  [ -x "$prog" ] || fail "no program at $1"
  if [ -z "${DISPLAY:-}" ] || [ ! -d "${XDG_RUNTIME_DIR:-}" ]; then fail "run me inside xsession.sh"; fi
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  tmp=$(cd "$tmp" && pwd -P) # as strace shows paths
  rc=0
  # The bus daemon's own complaints go to a file; shown only when something went wrong.
  dbus-run-session -- bash "$0" --inner "$prog" "$tmp" 2>"$tmp/stderr" || rc=$?
  if [ "$rc" -ne 0 ] && [ -s "$tmp/stderr" ]; then
    echo "--- stderr:"; cat "$tmp/stderr"
  fi
  exit "$rc"
fi

prog=$2
tmp=$3
home=$tmp/home
work=$tmp/work
trace=$tmp/trace
mkdir "$home" "$work" "$trace"
printf 'impostazioni di prova\n' >"$work/ImpostazioniZu.dat"
cp "$work/ImpostazioniZu.dat" "$tmp/ImpostazioniZu.orig"

# A pupil's account has font caches that are up to date; make sure ours has too, so that what
# fontconfig would write once per account is not taken for something the program writes.
HOME=$home fc-cache >/dev/null 2>&1 || true
before=$(cd "$tmp" && find home work | sort)

[[ $DISPLAY =~ ^:([0-9]+) ]] || fail "cannot read the display number from DISPLAY=$DISPLAY"
display_no=${BASH_REMATCH[1]}
# The session bus's socket, as strace shows a connect() to it.
bus_sockets=()
IFS=';' read -ra addresses <<<"${DBUS_SESSION_BUS_ADDRESS:-}"
for a in "${addresses[@]}"; do
  if [[ $a =~ ^unix:(.*,)?path=([^,]+) ]]; then bus_sockets+=("\"${BASH_REMATCH[2]}\""); fi
  if [[ $a =~ ^unix:(.*,)?abstract=([^,]+) ]]; then bus_sockets+=("@\"${BASH_REMATCH[2]}\""); fi
done
[ ${#bus_sockets[@]} -gt 0 ] || fail "no session bus address in DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-}"

# The display must be ours alone: keys that reach another copy of the program prove nothing.
if xdotool search --name '^(Calcolino|TABELLA)$' >/dev/null 2>&1; then
  fail "the display $DISPLAY already has a window of the program"
fi

# The program's environment: a plain openbox session (no desktop's platform theme: GNOME's would
# bring GTK with display connections and an accessibility bus of its own), every per-user
# directory inside the temporary home, the X platform even when the test suite asks for offscreen.
keep=()
for v in PATH LANG LC_ALL LANGUAGE DISPLAY XDG_RUNTIME_DIR DBUS_SESSION_BUS_ADDRESS UBSAN_OPTIONS; do
  if [ -n "${!v:-}" ]; then keep+=("$v=${!v}"); fi
done
# LeakSanitizer stops the world with ptrace, which strace already holds: in a sanitizer build it
# cannot run here (leaks are looked for by every other test of that build). Nothing otherwise.
keep+=("ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0")

strace_pid=""
prog_pid=""
finish() {
  # Only on failure: the program and its tracer are ended by their PIDs.
  if [ -n "$prog_pid" ]; then kill "$prog_pid" 2>/dev/null || true; fi
  if [ -n "$strace_pid" ] && kill -0 "$strace_pid" 2>/dev/null; then
    for _ in $(seq 100); do kill -0 "$strace_pid" 2>/dev/null || break; sleep 0.05; done
    kill "$strace_pid" 2>/dev/null || true
  fi
  return 0
}
trap finish EXIT

cd "$work"
env -i "${keep[@]}" HOME="$home" QT_QPA_PLATFORM=xcb \
  strace -ff -y -o "$trace/t" -e trace=%file,%desc,%network,%process "$prog" \
  >"$tmp/program.out" 2>"$tmp/program.err" &
strace_pid=$!

# The program's own process: the trace file that starts with its execve.
program_trace() {
  local f first
  for f in "$trace"/t.*; do
    IFS= read -r first <"$f" || continue
    if [[ $first == "execve(\"$prog\""* ]]; then echo "$f"; return 0; fi
  done
  return 1
}

# Polls a condition every 50 ms for at most $1 seconds; gives up early if the program ended.
wait_until() {
  local limit=$1 what=$2
  shift 2
  local end=$((SECONDS + limit))
  until "$@"; do
    kill -0 "$strace_pid" 2>/dev/null || fail "the program ended while waiting for: $what"
    [ "$SECONDS" -lt "$end" ] || fail "gave up after ${limit} s waiting for: $what"
    sleep 0.05
  done
}
active_is() { [ "$(xdotool getactivewindow getwindowname 2>/dev/null)" = "$1" ]; }
shown() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
shown_and_active() { shown "$1" && active_is "$1"; }
gone_and_back() { ! shown TABELLA && active_is Calcolino; }

wait_until 60 'the start screen "Calcolino" mapped and active' shown_and_active Calcolino
f=$(program_trace) || fail "no trace of the program's own process"
prog_pid=${f##*.}

# Table 0 ("0" has the focus), then "Vai" opens the exercise screen.
xdotool key Return Return
wait_until 30 'the exercise screen "TABELLA" mapped and active' shown_and_active TABELLA

# Every row: "1" and Enter. With table 0 that is right only for the addend 1; a wrong answer brings
# the help offer with the focus on "SI", and the second Enter takes the help, which completes the
# row. After a right answer the second Enter falls on "0", which does nothing. The last row gets
# "11", never right: a right answer there would leave the focus on "Nuova Tabella" for the second
# Enter, which would start a new sheet.
for _ in $(seq 9); do xdotool key 1 Return Return; done
xdotool key 1 1 Return Return
# The sheet is done and the focus is on "Nuova Tabella": "E" goes to "Esco", Enter closes.
xdotool key e Return
wait_until 30 'the exercise screen closed and "Calcolino" active again' gone_and_back

# Back on the start screen the focus is on "0". The table buttons may still hold the press flag of
# the first Enter (released over "Vai"): whether the release of Enter on "Esco" came before or after
# the start screen was active again is a matter of timing. A key "0" (a digit only names a table)
# released over them clears it either way. Then Enter on "0", SPACE twice to "Esci", Enter.
xdotool key 0 Return space space Return

# The program ends by itself, and with it everything it started (strace follows them all).
end=$((SECONDS + 30))
while kill -0 "$strace_pid" 2>/dev/null; do
  [ "$SECONDS" -lt "$end" ] || fail "the program (or something it started) did not end after Esci"
  sleep 0.05
done
rc=0
wait "$strace_pid" || rc=$?
strace_pid=""
prog_pid=""
[ "$rc" -eq 0 ] || fail "the program ended with status $rc"
tail -n1 "$f" | grep -qx '+++ exited with 0 +++' || fail "the program did not exit normally: $(tail -n1 "$f")"
if [ -s "$tmp/program.out" ] || [ -s "$tmp/program.err" ]; then
  fail "the program printed something: $(cat "$tmp/program.out" "$tmp/program.err")"
fi

# ---------------------------------------------------------------- what the trace shows
problems=$(awk -v display="$display_no" -v bus="${bus_sockets[*]}" -v prog="$prog" -v work="$work" '
function problem(s) { print FILENAME ": " s; }
# The path a call works on: strace -y shows it after the descriptor, "fd</path>".
function fdpath(s) { return match(s, /<[^>]*>/) ? substr(s, RSTART + 1, RLENGTH - 2) : ""; }
# A socket by its inode, the same whichever descriptor number it has: "socket:[123]".
function sockid(s) { return match(s, /socket:\[[0-9]+\]/) ? substr(s, RSTART, RLENGTH) : ""; }
BEGIN {
  allowed["@\"/tmp/.X11-unix/X" display "\""] = 1
  allowed["\"/tmp/.X11-unix/X" display "\""] = 1
  n = split(bus, b, " ")
  for (i = 1; i <= n; i++) allowed[b[i]] = 1
  probe = work "/ImpostazioniZu.dat"
}
# No other program: the only execve is the program itself, once, starting its own process.
/^execve\(/ {
  if (FNR != 1 || index($0, "execve(\"" prog "\"") != 1 || ++execs > 1) problem("starts another program: " $0)
}

# Files opened for writing, by anyone in the process tree and whether it worked or not.
/^(open|openat|openat2|creat)\(/ {
  if ($0 ~ /^creat\(/ || $0 ~ /O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND/)
    problem("opens for writing: " $0)
}
# Changes to the file system by name or descriptor. A mkdir that finds the directory already there
# changes nothing: Qt makes sure XDG_RUNTIME_DIR exists that way.
/^(mkdir|mkdirat|rmdir|unlink|unlinkat|rename|renameat|renameat2|link|linkat|symlink|symlinkat|truncate|chmod|fchmod|fchmodat|chown|fchown|lchown|fchownat|utime|utimes|utimensat|futimesat|mknod|mknodat|setxattr|lsetxattr|fsetxattr|removexattr|lremovexattr|fremovexattr)\(/ {
  if (!($0 ~ /^mkdir(at)?\(/ && $0 ~ /= -1 EEXIST/)) problem("changes the file system: " $0)
}

# Sockets: only local ones, each connected to the display or to the session bus.
/^socket\(/ {
  if ($0 !~ /^socket\(AF_UNIX,/) problem("creates a socket that is not local: " $0)
  else if ((s = sockid(substr($0, index($0, ") = ")))) != "") created[s] = $0
}
/^connect\(/ {
  target = ""
  if (match($0, /sun_path=@?"[^"]*"/)) target = substr($0, RSTART + 9, RLENGTH - 9)
  if ($0 !~ /sa_family=AF_UNIX/ || !(target in allowed)) problem("connects elsewhere: " $0)
  else connected[sockid($0)] = 1
}
/^(bind|listen|accept|accept4|socketpair)\(/ { problem("serves or pairs sockets: " $0) }

# The settings file: one read-only open, metadata of the open descriptor (QFile makes sure it did
# not open a directory; no content is read), one close. Anything else touching it is a fault.
index($0, "ImpostazioniZu.dat") {
  if ($0 ~ /^openat\(AT_FDCWD<[^>]*>, "ImpostazioniZu.dat", O_RDONLY([|]O_CLOEXEC)?\) = [0-9]+</) {
    if (fdpath(substr($0, index($0, ") = "))) != probe) problem("probes another file: " $0)
    opens++; fd = $0; sub(/.*\) = /, "", fd); sub(/<.*/, "", fd)
  } else if ($0 ~ /^(fstat|newfstatat|statx)\([0-9]+<[^>]*>, ""/ && opens == closes + 1) {
    # metadata only
  } else if ($0 ~ /^close\([0-9]+</ && opens == closes + 1 && index($0, "close(" fd "<") == 1 && $0 ~ /\) = 0$/) {
    closes++
  } else problem("touches the settings file other than probing it: " $0)
}

END {
  for (s in created) if (!(s in connected)) print "a socket connected to neither the display nor the session bus: " created[s]
  if (opens != 1 || closes != 1)
    print "the settings file was opened " opens + 0 " times and closed " closes + 0 " times, expected once each"
}
' "$trace"/t.*) || fail "could not read the trace"
[ -z "$problems" ] || fail $'what the trace shows:\n'"$problems"

# Belt and braces: nothing new in the home or the working directory, the settings file untouched.
after=$(cd "$tmp" && find home work | sort)
[ "$before" = "$after" ] || fail $'files appeared or went:\n'"$(diff <(echo "$before") <(echo "$after") || true)"
cmp -s "$work/ImpostazioniZu.dat" "$tmp/ImpostazioniZu.orig" || fail "ImpostazioniZu.dat changed"

files=$(find "$trace" -type f | wc -l)
opens=$(cat "$trace"/t.* | grep -cE '^(open|openat|openat2|creat)\(' || true)
sockets=$(cat "$trace"/t.* | grep -cE '^socket\(' || true)
echo "nothing_written: OK: whole session (table 0, 10 rows, Esco, Esci, exit 0) in $files processes/threads;" \
  "$opens opens, none for writing; $sockets sockets, all to the display or the session bus;" \
  "ImpostazioniZu.dat opened read-only and closed, never read"

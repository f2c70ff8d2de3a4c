#!/usr/bin/env bash
# A whole session of the real program, driven by keys like a pupil and a teacher would, under
# strace: 31 rows bring the print screen, where the print dialog and the file dialog are opened
# and cancelled and one PDF is saved through the file dialog under a name typed there. The program
# must write no file but that PDF, change nothing else on disk, start no other program, and only
# probe ImpostazioniZu.dat (look at it, open it read-only and close it, without reading it).
# Sockets: the display and the desktop's session bus; and, while Qt's print dialog looks for
# printers through CUPS, the CUPS socket /run/cups/cups.sock or, where there is none, CUPS on this
# machine by TCP (127.0.0.1 and ::1, port 631), and the system bus /run/dbus/system_bus_socket;
# for the user and "localhost" the C library asks the name service cache daemon first
# (/run/nscd/socket). Nothing else. Where a CUPS server answers, libcups keeps temporary files in
# TMPDIR while it works: TMPDIR is ours and must be empty again at the end. Runs inside
# xsession.sh (DISPLAY, XDG_RUNTIME_DIR, a window manager that gives the windows focus).
#   nothing_written.sh PROGRAM
set -euo pipefail

fail() {
  echo "nothing_written: FAIL: $*"
  if [ -n "${prog_pid:-}" ]; then
    local w names=""
    for w in $(xdotool search --all --onlyvisible --pid "$prog_pid" --name . 2>/dev/null); do
      names+="\"$(xdotool getwindowname "$w")\" "
    done
    echo "  the program's windows: $names"
    echo "  the keyboard on: \"$(xdotool getwindowfocus getwindowname 2>/dev/null)\""
    echo "  in the home: $(cd "$home" && find . -mindepth 1 | sort | tr '\n' ' ')"
  fi
  exit 1
}

# Outside: a session bus of our own, as every desktop has one; Qt asks it whether a screen reader
# is listening. (Without one the program does without a bus: real_session.py sees to that.)
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
tmpdir=$tmp/tmpdir
pdf=$home/prova.pdf # the one file the teacher saves
mkdir "$home" "$work" "$trace" "$tmpdir"
printf 'impostazioni di prova\n' >"$work/ImpostazioniZu.dat"
cp "$work/ImpostazioniZu.dat" "$tmp/ImpostazioniZu.orig"

# A pupil's account has font caches that are up to date; make sure ours has too, so that what
# fontconfig would write once per account is not taken for something the program writes.
HOME=$home fc-cache >/dev/null 2>&1 || true
before=$(cd "$tmp" && find home work tmpdir | sort)

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
env -i "${keep[@]}" HOME="$home" TMPDIR="$tmpdir" QT_QPA_PLATFORM=xcb \
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
# The window that has the keyboard (where the next key goes), by id.
keyboard_on() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }
# The print screen and Qt's print dialog have one title: they are told apart by their ids.
print_windows() { xdotool search --all --onlyvisible --pid "$prog_pid" --name '^Stampa esercizio$' 2>/dev/null; }
print_dialog_open() {
  local w f
  f=$(xdotool getwindowfocus 2>/dev/null) || return 1
  for w in $(print_windows); do [ "$w" != "$print_screen" ] && [ "$w" = "$f" ] && return 0; done
  return 1
}
print_screen_alone() { [ "$(print_windows)" = "$print_screen" ] && keyboard_on "$print_screen"; }
file_dialog_open() { shown "Salva PDF" && [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "Salva PDF" ]; }
file_dialog_closed() { ! shown "Salva PDF" && print_screen_alone; }
saved() { [ -s "$pdf" ] && file_dialog_closed; }
print_screen_gone() { [ -z "$(print_windows)" ] && active_is TABELLA; }

wait_until 60 'the start screen "Calcolino" mapped and active' shown_and_active Calcolino
f=$(program_trace) || fail "no trace of the program's own process"
prog_pid=${f##*.}

# Table 0 ("0" has the focus), then "Vai" opens the exercise screen.
xdotool key Return Return
wait_until 30 'the exercise screen "TABELLA" mapped and active' shown_and_active TABELLA

# Every row gets "11", never right for table 0: Enter brings the help offer with the focus on "SI",
# the second Enter takes the help, which completes the row. A sheet ends with the focus on "Nuova
# Tabella", Enter draws the next. Help on the 30th row brings the warning with the 31st, the focus
# on "Stampa"; Enter opens the print screen.
row=(1 1 Return Return)
rows=()
for _ in $(seq 10); do rows+=("${row[@]}"); done
xdotool key "${rows[@]}" Return "${rows[@]}" Return "${rows[@]}" Return "${row[@]}" Return
wait_until 30 'the print screen "Stampa esercizio" mapped and active' shown_and_active "Stampa esercizio"
print_screen=$(print_windows)
wait_until 10 "the keyboard on the print screen" keyboard_on "$print_screen"

# "Stampa" (S, Enter): Qt's print dialog looks for printers; Escape cancels it. After each dialog an
# X, a key the print screen does not take, comes first: whether the screen takes the next key at
# once after a dialog is a matter for real_session.py; here it is what is written that counts.
xdotool key s Return
wait_until 30 "Qt's print dialog with the keyboard" print_dialog_open
xdotool key Escape
wait_until 30 "the print dialog closed, the keyboard on the print screen" print_screen_alone
# "Salva PDF" (P, Enter): Qt's file dialog; Escape cancels it.
xdotool key x p Return
wait_until 30 'the file dialog "Salva PDF" with the keyboard' file_dialog_open
xdotool key Escape
wait_until 30 "the file dialog closed, the keyboard on the print screen" file_dialog_closed
# Once more, and this time the file is named: the whole path typed over the name proposed, and Enter
# saves.
xdotool key x p Return
wait_until 30 'the file dialog "Salva PDF" with the keyboard again' file_dialog_open
xdotool key ctrl+a
xdotool type "$pdf"
xdotool key Return
wait_until 30 "the PDF saved as $pdf" saved
# "Chiudi" (C, Enter) closes the print screen; the warning is still there, "R" and Enter start
# again (the rows done are let go). Ten rows, "Esco" (E, Enter) goes back to the start screen.
xdotool key x c Return
wait_until 30 'the print screen closed and "TABELLA" active again' print_screen_gone
xdotool key r Return "${rows[@]}" e Return
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
problems=$(awk -v display="$display_no" -v bus="${bus_sockets[*]}" -v prog="$prog" -v work="$work" \
               -v pdf="$pdf" -v tmpdir="$tmpdir" '
function problem(s) { print FILENAME ": " s; }
# The path a call works on: strace -y shows it after the descriptor, "fd</path>".
function fdpath(s) { return match(s, /<[^>]*>/) ? substr(s, RSTART + 1, RLENGTH - 2) : ""; }
# The first quoted path of a call.
function named(s) { return match(s, /"[^"]*"/) ? substr(s, RSTART + 1, RLENGTH - 2) : ""; }
# A socket by its inode, the same whichever descriptor number it has: "socket:[123]".
function sockid(s) { return match(s, /socket:\[[0-9]+\]/) ? substr(s, RSTART, RLENGTH) : ""; }
# The PDF is written as Qt writes a file safely: an unnamed file in its folder (O_TMPFILE) linked
# to its name when whole, or, where the file system has no unnamed files, "NAME.XXXXXX" renamed.
function the_pdf(path) { return path == pdf || (index(path, pdf ".") == 1 && length(path) == length(pdf) + 7); }
function in_tmpdir(path) { return index(path, tmpdir "/") == 1; }
BEGIN {
  allowed["@\"/tmp/.X11-unix/X" display "\""] = 1
  allowed["\"/tmp/.X11-unix/X" display "\""] = 1
  n = split(bus, b, " ")
  for (i = 1; i <= n; i++) allowed[b[i]] = 1
  # The print dialog asks CUPS for printers: its socket, the system bus; and the C library asks the
  # name service cache daemon first when libcups looks up the user and "localhost".
  allowed["\"/run/cups/cups.sock\""] = allowed["\"/var/run/cups/cups.sock\""] = 1
  allowed["\"/run/dbus/system_bus_socket\""] = allowed["\"/var/run/dbus/system_bus_socket\""] = 1
  allowed["\"/run/nscd/socket\""] = allowed["\"/var/run/nscd/socket\""] = 1
  probe = work "/ImpostazioniZu.dat"
  folder = pdf; sub(/\/[^\/]*$/, "", folder)
}
# No other program: the only execve is the program itself, once, starting its own process.
/^execve\(/ {
  if (FNR != 1 || index($0, "execve(\"" prog "\"") != 1 || ++execs > 1) problem("starts another program: " $0)
}

# Files opened for writing, by anyone in the process tree and whether it worked or not: only the PDF
# and what libcups keeps in TMPDIR.
/^(open|openat|openat2|creat)\(/ {
  if ($0 ~ /^creat\(/ || $0 ~ /O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND/) {
    path = named($0)
    if ($0 ~ /O_TMPFILE/ && path == folder && $0 ~ /\) = [0-9]+</) unnamed++
    else if (!the_pdf(path) && !in_tmpdir(path)) problem("opens for writing: " $0)
  }
}
# Changes to the file system by name or descriptor. A mkdir that finds the directory already there
# changes nothing: Qt makes sure XDG_RUNTIME_DIR exists that way. The PDF gets its name once.
/^(mkdir|mkdirat|rmdir|unlink|unlinkat|rename|renameat|renameat2|link|linkat|symlink|symlinkat|truncate|chmod|fchmod|fchmodat|chown|fchown|lchown|fchownat|utime|utimes|utimensat|futimesat|mknod|mknodat|setxattr|lsetxattr|fsetxattr|removexattr|lremovexattr|fremovexattr)\(/ {
  if ($0 ~ /^mkdir(at)?\(/ && $0 ~ /= -1 EEXIST/) next
  if ($0 ~ /^linkat\(/ && index($0, ", \"/proc/self/fd/") && index($0, "\"" pdf "\", AT_SYMLINK_FOLLOW) = 0")) {
    named_pdf++; next
  }
  if ($0 ~ /^rename(at2?)?\(/ && the_pdf(named($0)) && index($0, "\"" pdf "\"") && $0 ~ /\) = 0$/) { named_pdf++; next }
  if ($0 ~ /^unlink(at)?\(/ && in_tmpdir(named($0))) next
  problem("changes the file system: " $0)
}

# Sockets: local ones to the display, the session bus and the places of the printing system above; TCP
# only to CUPS on this machine.
/^socket\(/ {
  if ($0 !~ /^socket\((AF_UNIX|AF_INET|AF_INET6), SOCK_STREAM/) problem("creates another kind of socket: " $0)
  else if ((s = sockid(substr($0, index($0, ") = ")))) != "") created[s] = $0
}
/^connect\(/ {
  target = ""
  if (match($0, /sun_path=@?"[^"]*"/)) target = substr($0, RSTART + 9, RLENGTH - 9)
  cups = $0 ~ /sa_family=AF_INET, sin_port=htons\(631\), sin_addr=inet_addr\("127\.0\.0\.1"\)/ ||
         $0 ~ /sa_family=AF_INET6, sin6_port=htons\(631\), .*inet_pton\(AF_INET6, "::1"/
  if (cups || ($0 ~ /sa_family=AF_UNIX/ && target in allowed)) connected[sockid($0)] = 1
  else problem("connects elsewhere: " $0)
}
/^(bind|listen|accept|accept4|socketpair)\(/ { problem("serves or pairs sockets: " $0) }

# The settings file: looked at by name, one read-only open that never waits (no O_NONBLOCK is needed
# for a plain file, but it is harmless), metadata of the open descriptor, one close; no content is
# read. Anything else touching it is a fault.
index($0, "ImpostazioniZu.dat") {
  if ($0 ~ /^(newfstatat|statx|stat|lstat)\(AT_FDCWD<[^>]*>, "ImpostazioniZu.dat", / && opens == closes) {
    # metadata by name only
  } else if ($0 ~ /^openat\(AT_FDCWD<[^>]*>, "ImpostazioniZu.dat", O_RDONLY([|]O_(CLOEXEC|NONBLOCK|NOCTTY))*\) = [0-9]+</) {
    if (fdpath(substr($0, index($0, ") = "))) != probe) problem("probes another file: " $0)
    opens++; fd = $0; sub(/.*\) = /, "", fd); sub(/<.*/, "", fd)
  } else if ($0 ~ /^(fstat|newfstatat|statx)\([0-9]+<[^>]*>, ""/ && opens == closes + 1) {
    # metadata only
  } else if ($0 ~ /^close\([0-9]+</ && opens == closes + 1 && index($0, "close(" fd "<") == 1 && $0 ~ /\) = 0$/) {
    closes++
  } else problem("touches the settings file other than probing it: " $0)
}

END {
  for (s in created) if (!(s in connected)) print "a socket connected nowhere allowed: " created[s]
  if (opens != 1 || closes != 1)
    print "the settings file was opened " opens + 0 " times and closed " closes + 0 " times, expected once each"
  if (named_pdf != 1) print "the PDF was given its name " named_pdf + 0 " times, expected once"
}
' "$trace"/t.*) || fail "could not read the trace"
[ -z "$problems" ] || fail $'what the trace shows:\n'"$problems"

# Belt and braces: nothing new in the home, the working directory or TMPDIR but the PDF, which is
# one; the settings file untouched.
after=$(cd "$tmp" && find home work tmpdir | sort)
expected=$( (echo "$before"; echo "home/${pdf##*/}") | sort)
[ "$after" = "$expected" ] ||
  fail $'files appeared or went, other than the PDF:\n'"$(diff <(echo "$expected") <(echo "$after") || true)"
[ "$(head -c 5 "$pdf")" = "%PDF-" ] || fail "$pdf is not a PDF"
cmp -s "$work/ImpostazioniZu.dat" "$tmp/ImpostazioniZu.orig" || fail "ImpostazioniZu.dat changed"

echo "nothing_written: OK: a whole session wrote only the PDF, started nothing, connected only where allowed"

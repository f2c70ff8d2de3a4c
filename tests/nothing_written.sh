#!/usr/bin/env bash
# A whole session of the real program under strace, driven by keys: 31 rows bring the print screen,
# where the print and file dialogs are opened and cancelled and one PDF is saved. The program must
# write no file but that PDF (reading is allowed), start no other program, only probe ImpostazioniZu.dat
# (look, open read-only, close, never read), connect only to the display, the session bus and, for Qt's
# print dialog, CUPS (socket or TCP 631 here), the system bus and nscd; what libcups keeps in TMPDIR
# while it works is gone at the end. Runs inside xsession.sh:  nothing_written.sh PROGRAM
set -euo pipefail

fail() { echo "nothing_written: FAIL: $*"; exit 1; }

# Outside: a session bus of our own, as every desktop has one; Qt asks it whether a screen reader
# is listening. (Without one the program does without a bus: real_session.py sees to that.)
if [ "${1:-}" != --inner ]; then
  [ $# -eq 1 ] || { echo "usage: $0 PROGRAM" >&2; exit 2; }
  prog=$(readlink -f "$1")
  [ -n "${DISPLAY:-}" ] && [ -d "${XDG_RUNTIME_DIR:-}" ] || fail "run me inside xsession.sh"
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  tmp=$(cd "$tmp" && pwd -P) # as strace shows paths
  dbus-run-session -- bash "$0" --inner "$prog" "$tmp"
  exit
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

# Font caches up to date, as in a pupil's account: what fontconfig writes once is not the program's.
HOME=$home fc-cache >/dev/null 2>&1 || true

[[ $DISPLAY =~ ^:([0-9]+) ]] || fail "no display number in DISPLAY=$DISPLAY"
display_no=${BASH_REMATCH[1]}
# The session bus's socket, as strace shows a connect() to it.
[[ $DBUS_SESSION_BUS_ADDRESS =~ ^unix:(.*,)?(path|abstract)=([^,\;]+) ]] || fail "no session bus socket"
bus="\"${BASH_REMATCH[3]}\""
[ "${BASH_REMATCH[2]}" = path ] || bus="@$bus"

# Keys that reach another copy of the program prove nothing.
! xdotool search --name '^(Calcolino|TABELLA)$' >/dev/null 2>&1 || fail "the display has a window of the program already"

# A plain openbox session (no desktop's platform theme, which brings connections of its own), every
# per-user directory inside the temporary home, the X platform even when the suite asks for offscreen.
keep=()
for v in PATH LANG LC_ALL LANGUAGE DISPLAY XDG_RUNTIME_DIR DBUS_SESSION_BUS_ADDRESS UBSAN_OPTIONS; do
  if [ -n "${!v:-}" ]; then keep+=("$v=${!v}"); fi
done
# LeakSanitizer needs ptrace, which strace holds; every other test of a sanitizer build looks for leaks.
keep+=("ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0")

strace_pid="" prog_pid=""
finish() { # on failure: the program and its tracer, by their PIDs
  [ -z "$prog_pid" ] || kill "$prog_pid" 2>/dev/null
  [ -z "$strace_pid" ] || { timeout 5 tail --pid="$strace_pid" -f /dev/null; kill "$strace_pid" 2>/dev/null; }
  return 0
}
trap finish EXIT

cd "$work"
env -i "${keep[@]}" HOME="$home" TMPDIR="$tmpdir" QT_QPA_PLATFORM=xcb \
  strace -ff -y -o "$trace/t" -e trace=%file,%desc,%network,%process "$prog" \
  >"$tmp/program.out" 2>"$tmp/program.err" &
strace_pid=$!

# Polls a condition every 50 ms for at most $1 seconds; gives up early if the program ended.
wait_until() {
  local limit=$1 what=$2 end=$((SECONDS + $1))
  shift 2
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
  local f
  f=$(xdotool getwindowfocus 2>/dev/null) && [ "$f" != "$print_screen" ] && grep -qx "$f" <<<"$(print_windows)"
}
print_screen_alone() { [ "$(print_windows)" = "$print_screen" ] && keyboard_on "$print_screen"; }
file_dialog_open() { shown "Salva PDF" && [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "Salva PDF" ]; }
file_dialog_closed() { ! shown "Salva PDF" && print_screen_alone; }
saved() { [ -s "$pdf" ] && file_dialog_closed; }
print_screen_gone() { [ -z "$(print_windows)" ] && active_is TABELLA; }

wait_until 60 'the start screen "Calcolino" mapped and active' shown_and_active Calcolino
f=$(grep -lF "execve(\"$prog\"" "$trace"/t.* | head -n1) || fail "no trace of the program's own process"
prog_pid=${f##*.}

# Table 0 ("0" has the focus), then "Vai" opens the exercise screen.
xdotool key Return Return
wait_until 30 'the exercise screen "TABELLA" mapped and active' shown_and_active TABELLA

# Every row "11" (wrong for table 0), Enter, Enter on the help offer's "SI"; Enter on "Nuova Tabella"
# after each sheet; after the 30th the warning, the focus on "Stampa": Enter opens the print screen.
row=(1 1 Return Return)
rows=()
for _ in $(seq 10); do rows+=("${row[@]}"); done
xdotool key "${rows[@]}" Return "${rows[@]}" Return "${rows[@]}" Return "${row[@]}" Return
wait_until 30 'the print screen "Stampa esercizio" mapped and active' shown_and_active "Stampa esercizio"
print_screen=$(print_windows)
wait_until 10 "the keyboard on the print screen" keyboard_on "$print_screen"

# "Stampa" (S, Enter): Qt's print dialog; Escape cancels it. After each dialog an X (a key the screen
# does not take) first: whether the next key is taken at once is real_session.py's matter.
xdotool key s Return
wait_until 30 "Qt's print dialog with the keyboard" print_dialog_open
xdotool key Escape
wait_until 30 "the print dialog closed, the keyboard on the print screen" print_screen_alone
# "Salva PDF" (P, Enter): Qt's file dialog, cancelled, then again with the whole path typed, saved.
xdotool key x p Return
wait_until 30 'the file dialog "Salva PDF" with the keyboard' file_dialog_open
xdotool key Escape
wait_until 30 "the file dialog closed, the keyboard on the print screen" file_dialog_closed
xdotool key x p Return
wait_until 30 'the file dialog "Salva PDF" with the keyboard again' file_dialog_open
xdotool key ctrl+a
xdotool type "$pdf"
xdotool key Return
wait_until 30 "the PDF saved as $pdf" saved
# "Chiudi" (C, Enter); on the warning "Ricomincia" (R, Enter), ten rows, "Esco" (E, Enter).
xdotool key x c Return
wait_until 30 'the print screen closed and "TABELLA" active again' print_screen_gone
xdotool key r Return "${rows[@]}" e Return
wait_until 30 'the exercise screen closed and "Calcolino" active again' gone_and_back

# The table buttons may still hold the press flag of the first Enter, by timing: a key "0" released
# over them clears it. Then Enter on "0", SPACE twice to "Esci", Enter.
xdotool key 0 Return space space Return

# The program ends by itself, and with it everything it started (strace follows them all): strace
# ends with the program's status.
timeout 30 tail --pid="$strace_pid" -s 0.05 -f /dev/null || fail "the program (or something it started) did not end after Esci"
rc=0
wait "$strace_pid" || rc=$?
strace_pid="" prog_pid=""
[ "$rc" -eq 0 ] || fail "the program ended with status $rc"
if [ -s "$tmp/program.out" ] || [ -s "$tmp/program.err" ]; then
  fail "the program printed something: $(cat "$tmp/program.out" "$tmp/program.err")"
fi

# ---------------------------------------------------------------- what the trace shows
problems=$(awk -v display="$display_no" -v bus="$bus" -v prog="$prog" -v work="$work" \
               -v pdf="$pdf" -v tmpdir="$tmpdir" '
function problem(s) { print FILENAME ": " s; }
function fdpath(s) { return match(s, /<[^>]*>/) ? substr(s, RSTART + 1, RLENGTH - 2) : ""; } # "fd</path>" (-y)
function named(s) { return match(s, /"[^"]*"/) ? substr(s, RSTART + 1, RLENGTH - 2) : ""; } # the first path
# A socket by its inode, whichever descriptor number it has: "socket:[123]".
function sockid(s) { return match(s, /socket:\[[0-9]+\]/) ? substr(s, RSTART, RLENGTH) : ""; }
# The PDF is written as Qt writes a file safely: an unnamed file in its folder (O_TMPFILE) linked
# to its name when whole, or, where the file system has no unnamed files, "NAME.XXXXXX" renamed.
function the_pdf(path) { return path == pdf || (index(path, pdf ".") == 1 && length(path) == length(pdf) + 7); }
function in_tmpdir(path) { return index(path, tmpdir "/") == 1; }
BEGIN {
  allowed["@\"/tmp/.X11-unix/X" display "\""] = 1
  allowed["\"/tmp/.X11-unix/X" display "\""] = 1
  allowed[bus] = 1
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

# Opened for writing, by anyone, whether it worked or not: only the PDF and what libcups keeps in TMPDIR.
/^(open|openat|openat2|creat)\(/ && /^creat\(|O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND/ {
  path = named($0)
  if (!the_pdf(path) && !in_tmpdir(path) && !(/O_TMPFILE/ && path == folder)) problem("opens for writing: " $0)
}
# Changes to the file system. A mkdir that finds the directory there changes nothing (Qt makes sure of
# XDG_RUNTIME_DIR so). The PDF gets its name once.
/^(mkdir|mkdirat|rmdir|unlink|unlinkat|rename|renameat|renameat2|link|linkat|symlink|symlinkat|truncate|chmod|fchmod|fchmodat|chown|fchown|lchown|fchownat|utime|utimes|utimensat|futimesat|mknod|mknodat|setxattr|lsetxattr|fsetxattr|removexattr|lremovexattr|fremovexattr)\(/ {
  if (/^mkdir(at)?\(/ && /= -1 EEXIST/) next
  if (/^linkat\(/ && index($0, ", \"/proc/self/fd/") && index($0, "\"" pdf "\", AT_SYMLINK_FOLLOW) = 0")) { named_pdf++; next }
  if (/^rename(at2?)?\(/ && the_pdf(named($0)) && index($0, "\"" pdf "\"") && $0 ~ /\) = 0$/) { named_pdf++; next }
  if (/^unlink(at)?\(/ && in_tmpdir(named($0))) next
  problem("changes the file system: " $0)
}

# Sockets: local ones to the places above; TCP only to CUPS on this machine.
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

# The settings file: metadata by name; one read-only open (O_NONBLOCK harmless), metadata of that
# descriptor, one close; nothing read.
index($0, "ImpostazioniZu.dat") {
  if (/^openat\(AT_FDCWD<[^>]*>, "ImpostazioniZu.dat", O_RDONLY([|]O_(CLOEXEC|NONBLOCK|NOCTTY))*\) = [0-9]+</) {
    if (fdpath(substr($0, index($0, ") = "))) != probe) problem("probes another file: " $0)
    opens++; fd = $0; sub(/.*\) = /, "", fd); sub(/<.*/, "", fd)
  } else if (/^close\([0-9]+</ && opens == closes + 1 && index($0, "close(" fd "<") == 1 && /\) = 0$/) closes++
  else if (!(/^(newfstatat|statx|stat|lstat)\(AT_FDCWD<[^>]*>, "ImpostazioniZu.dat", / && opens == closes) &&
           !(/^(fstat|newfstatat|statx)\([0-9]+<[^>]*>, ""/ && opens == closes + 1))
    problem("touches the settings file other than probing it: " $0)
}

END {
  for (s in created) if (!(s in connected)) print "a socket connected nowhere allowed: " created[s]
  if (opens != 1 || closes != 1)
    print "the settings file was opened " opens + 0 " times and closed " closes + 0 " times, expected once each"
  if (named_pdf != 1) print "the PDF was given its name " named_pdf + 0 " times, expected once"
}
' "$trace"/t.*) || fail "could not read the trace"
[ -z "$problems" ] || fail $'what the trace shows:\n'"$problems"

[ -z "$(ls -A "$tmpdir")" ] || fail "left in TMPDIR: $(ls -A "$tmpdir")"
[ "$(head -c 5 "$pdf")" = "%PDF-" ] || fail "$pdf is not a PDF"

echo "nothing_written: OK: a whole session wrote only the PDF, started nothing, connected only where allowed"

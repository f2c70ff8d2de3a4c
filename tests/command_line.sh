#!/bin/bash
# The real program's command line, before any window: --help on stdout with status 0; a mistake one
# Italian line on stderr, status 2; no display at all one Italian line on stderr, status 1; nothing else.
set -u
prog=$1
failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home" "$work/cwd"

run() { # sets status, out and err; a program that does not end within 20 s fails (status 124)
    (cd "$work/cwd" && exec timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM="${platform:-}" \
        HOME="$work/home" "$prog" "$@" >"$work/out" 2>"$work/err")
    status=$?
    out=$(cat "$work/out")
    err=$(cat "$work/err")
}
check() { # DESCRIPTION CONDITION...
    local what=$1
    shift
    "$@" || { echo "FAIL: $what (status $status, stdout '$out', stderr '$err')"; failed=1; }
}

run --help
check "--help: status 0, usage on stdout alone" [ "$status" -eq 0 -a -z "$err" -a "${out%%$'\n'*}" == "Uso: calcolino [OPZIONI]" ]
check "--help names the scanning option" grep -q -- '--scansione-automatica\[=SECONDI\]' "$work/out"

# A mistake is told before any window: one Italian line on stderr, status 2, also where the
# toolkit would have aborted or opened a network port.
run -platform offscreen --scansione-automatca=2
check "a mistyped option: status 2, named on stderr" [ "$status" -eq 2 -a -z "$out" -a "$err" == "Calcolino: «--scansione-automatca=2» non è un'opzione di Calcolino (calcolino --help mostra quelle che ci sono)." ]
for platform in linuxfb vnc; do
    run
    check "QT_QPA_PLATFORM=$platform: status 2, one line" [ "$status" -eq 2 -a -z "$out" -a "$(wc -l <"$work/err")" -eq 1 ]
done
platform=

nodisplay="Calcolino: serve un desktop grafico, ma nessuno schermo è disponibile."
for args in "" "--scansione-automatica=0,5"; do
    run $args
    check "no display ($args): status 1 and one line" [ "$status" -eq 1 -a -z "$out" -a "$err" == "$nodisplay" ]
done
exit $failed

#!/bin/bash
# The real program's command line, before any window: --help on stdout with status 0; a wrong
# scan period or an option that is neither ours nor Qt's one Italian line on stderr with status 2;
# no display at all status 1 with one Italian line on stderr. Nothing else on either stream.
set -u
prog=$1
failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/home" "$work/cwd"

run() { # sets status, out and err; a program that does not end within 20 s fails (status 124)
    (cd "$work/cwd" && exec timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" \
        "$prog" "$@" >"$work/out" 2>"$work/err")
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

run --scansione-automatica=20
check "a period out of range: status 2, one line on stderr" [ "$status" -eq 2 -a -z "$out" -a "$(wc -l <"$work/err")" -eq 1 ]
check "a period out of range says why" grep -q '^Calcolino: «20» non va bene per --scansione-automatica' "$work/err"

run --scansione-automatica 2
check "a period after a blank: status 2" [ "$status" -eq 2 -a -z "$out" ]
check "a period after a blank says how" [ "$err" == "Calcolino: i secondi vanno attaccati all'opzione con «=»: --scansione-automatica=2." ]

# Qt's own options are Qt's; anything else left over is a mistake, named.
run -platform offscreen --scansione-automatca=2
check "a mistyped option: status 2, named on stderr" [ "$status" -eq 2 -a -z "$out" -a "$err" == "Calcolino: «--scansione-automatca=2» non è un'opzione di Calcolino (calcolino --help mostra quelle che ci sono)." ]

nodisplay="Calcolino: serve un desktop grafico, ma nessuno schermo è disponibile."
for args in "" "--scansione-automatica=0,5"; do
    run $args
    check "no display ($args): status 1 and one line" [ "$status" -eq 1 -a -z "$out" -a "$err" == "$nodisplay" ]
done
exit $failed

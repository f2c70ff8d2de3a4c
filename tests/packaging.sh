#!/usr/bin/env bash
# The desktop entry and metainfo are valid; the installed tree and the .deb hold the program, its
# desktop entry, metainfo, icons, manual page, changelog and copyright, the voice's and the print
# modules and no library; the program installed from the .deb runs from there and finds its
# modules; `man calcolino` finds the page; lintian finds no error and no warning, and every tag it still reports is
# explained in docs/packaging.md. Usage: packaging.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "packaging: $*" >&2; exit 1; }

# Valid means no error and no warning; hints, infos and pedantic remarks are fine.
out=$(desktop-file-validate "$src/data/org.example.Calcolino.desktop" 2>&1) && ! grep -Ei 'error|warning' <<<"$out" \
  || fail "desktop entry not valid: $out"
out=$(appstreamcli validate --no-net --pedantic "$src/data/org.example.Calcolino.metainfo.xml" 2>&1) \
  && ! grep -E '^[EW]:' <<<"$out" || fail "metainfo not valid: $out"

# The licence the metainfo declares, in full.
cmp -s "$src/COPYING" /usr/share/common-licenses/GPL-3 || fail "COPYING is not the GPL 3 text"

expected=(usr/bin/calcolino usr/lib/calcolino/modules/calcolino-{voce,stampa}.so usr/share/applications/org.example.Calcolino.desktop
  usr/share/metainfo/org.example.Calcolino.metainfo.xml usr/share/icons/hicolor/scalable/apps/calcolino.svg
  usr/share/man/man1/calcolino.1.gz usr/share/doc/calcolino/changelog.Debian.gz usr/share/doc/calcolino/copyright)
for s in 16 22 24 32 48 64 128 256; do expected+=("usr/share/icons/hicolor/${s}x${s}/apps/calcolino.png"); done

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
for f in "${expected[@]}"; do
  [ -f "$work/root/$f" ] || fail "not installed: $f"
done

# `man calcolino` shows the Italian page from where it is installed.
page=$(MANPATH="$work/root/usr/share/man" MANWIDTH=80 LC_ALL=C.UTF-8 man calcolino 2>&1) || fail "man calcolino: $page"
for heading in NOME SINTASSI DESCRIZIONE FILE 'STATO DI USCITA'; do
  grep -q "^$heading\$" <<<"$page" || fail "manual page without $heading"
done

(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/*.deb)
listing=$(dpkg-deb -c "$deb")
for f in "${expected[@]}"; do
  grep -q " \./$f\$" <<<"$listing" || fail "not in the package: $f"
done
! grep -vE '/usr/lib/(calcolino/.*)?$' <<<"$listing" | grep -q '/usr/lib/' || fail "a library in the package: $listing"
# The program as the package installs it, the print screen in it: every library it needs found,
# and a start that reaches the toolkit and ends by itself where there is no display.
dpkg-deb -x "$deb" "$work/installed"
prog=$work/installed/usr/bin/calcolino
! ldd "$prog" | grep -q 'not found' || fail "installed program: $(ldd "$prog" | grep 'not found')"
status=0
err=$(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$prog" 2>&1) || status=$?
[ "$status" = 1 ] && [ "$err" = "Calcolino: serve un desktop grafico, ma nessuno schermo è disponibile." ] \
  || fail "installed program without a display: status $status, '$err'"
# With the voice on it loads its module from where the package put it, and no service is started.
HOME=$work XDG_RUNTIME_DIR=$work SPEECHD_ADDRESS=unix_socket:$work/nessuno QT_QPA_PLATFORM=offscreen "$prog" --voce &>/dev/null &
for _ in $(seq 100); do grep -qF "$work/installed/usr/lib/calcolino/modules/calcolino-voce.so" /proc/$!/maps && break; sleep 0.1; done
grep -qF "$work/installed/usr/lib/calcolino/modules/calcolino-voce.so" /proc/$!/maps || fail "installed module not loaded: $(cat /proc/$!/maps)"
kill $!
# The print module where the program looks for it (the path compiled in), its libraries found; the
# program itself without Qt's print support.
module=$(dirname "$prog")$(strings -el "$prog" | grep -m1 '/calcolino-stampa$').so
[ "$(realpath "$module")" = "$work/installed/usr/lib/calcolino/modules/calcolino-stampa.so" ] && ! ldd "$module" | grep -q 'not found' \
  && ! readelf -d "$prog" | grep -q PrintSupport || fail "print module: $module, $(readelf -d "$prog" | grep NEEDED)"
# Dependencies computed from the binary (the Qt libraries it links), and the two it loads by name.
depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 qt6-translations-l10n fonts-liberation; do
  grep -qw "$p" <<<"$depends" || fail "no dependency on $p: $depends"
done
# The changelog's latest entry is the version being packaged.
version=$(dpkg-deb -f "$deb" Version)
[ "$(dpkg-parsechangelog -l "$src/packaging/changelog" -S Version)" = "$version" ] \
  || fail "packaging/changelog does not begin with version $version"

# lintian as a distribution runs it on a binary package; info and pedantic tags shown.
lint=$(lintian --display-info --pedantic --fail-on error,warning "$deb" 2>&1) || fail "lintian: errors or warnings: $lint"
echo "$lint"
# Every tag still reported, and every tag the package overrides, has its heading in the guide.
for tag in $( (sed -nE 's/^[IP]: [^ ]+: ([a-z0-9-]+).*/\1/p' <<<"$lint"
               sed -nE 's/^calcolino: ([a-z0-9-]+).*/\1/p' "$src/packaging/lintian-overrides") | sort -u); do
  grep -qxF "### \`$tag\`" "$src/docs/packaging.md" || fail "lintian tag $tag has no heading in docs/packaging.md"
done
echo "packaging: ok"

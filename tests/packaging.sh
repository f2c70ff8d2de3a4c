#!/usr/bin/env bash
# The desktop entry and metainfo are valid, and both the installed tree and the .deb hold the
# program, its desktop entry, metainfo and icons. Usage: packaging.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
src=$1 build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

desktop-file-validate "$src/data/org.example.Calcolino.desktop"
appstreamcli validate --no-net "$src/data/org.example.Calcolino.metainfo.xml"

expected=(
  usr/bin/calcolino
  usr/share/applications/org.example.Calcolino.desktop
  usr/share/metainfo/org.example.Calcolino.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/calcolino.svg
)
for s in 16 22 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${s}x${s}/apps/calcolino.png")
done

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
for f in "${expected[@]}"; do
  [ -f "$work/root/$f" ] || { echo "not installed: $f"; exit 1; }
done

(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/*.deb)
listing=$(dpkg-deb -c "$deb")
for f in "${expected[@]}"; do
  grep -q " \./$f\$" <<<"$listing" || { echo "not in the package: $f"; exit 1; }
done
# Dependencies computed from the binary: the Qt libraries it links.
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || { echo "no Qt dependency computed"; exit 1; }
echo "packaging: ok"

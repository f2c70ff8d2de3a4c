#!/usr/bin/env bash
# Renders the PNG sizes of the icon from calcolino.svg (Debian librsvg2-bin). Run after
# changing the SVG; the PNGs are kept in the repository so that building needs no renderer.
set -euo pipefail
cd "$(dirname "$0")"
for s in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$s" -h "$s" calcolino.svg -o "calcolino-$s.png"
done

#!/bin/sh
# Renders the PNG icons from their SVG sources (needs rsvg-convert from
# librsvg2-bin). The PNGs are committed, so the build does not need it.
set -eu
cd "$(dirname "$0")"
for icon in vellum vellum-document; do
  for size in 16 32; do
    rsvg-convert -w "$size" -h "$size" -o "$icon-$size.png" "$icon.svg"
  done
done

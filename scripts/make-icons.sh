#!/usr/bin/env bash
# Renders the program's icon (packaging/fraymark.svg) to the PNG sizes that are built
# into the binary as the window icon. Run it after changing the SVG and commit the
# PNGs: the build itself never reads the SVG, so it needs neither librsvg nor Qt's
# SVG plugin. Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
svg=$root/packaging/fraymark.svg
out=$root/src/app/resources/icons
mkdir -p "$out"
for size in 16 24 32 48 64; do
  rsvg-convert --width "$size" --height "$size" --format png --output "$out/fraymark-$size.png" "$svg"
done
ls -l "$out"

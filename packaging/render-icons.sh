#!/usr/bin/env bash
# Renders the PNG sizes of the icon from tcnedit.svg into icons/ (run after editing the SVG; the PNGs are
# kept in the tree so that building and installing need no SVG renderer). Needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" tcnedit.svg --output "icons/tcnedit-$size.png"
done

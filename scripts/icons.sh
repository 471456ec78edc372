#!/usr/bin/env bash
# Renders the program's icon, packaging/icons/quillbox.svg, into the PNG sizes that are kept
# beside it (run after changing the drawing; needs rsvg-convert from librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 32 48 64 128; do
    rsvg-convert -w "$size" -h "$size" quillbox.svg -o "quillbox-$size.png"
done

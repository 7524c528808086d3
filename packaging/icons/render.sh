#!/bin/sh
# Renders the application icon into the hicolor sizes committed beside it. Needs rsvg-convert
# (Debian: librsvg2-bin); run it after changing quillmere.svg.
set -eu
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256 512; do
    rsvg-convert -w "$size" -h "$size" quillmere.svg -o "quillmere-$size.png"
done

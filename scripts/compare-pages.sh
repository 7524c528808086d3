#!/usr/bin/env bash
# Puts our page of one worksheet beside an office suite's rendering of the same workbook, for
# looking at drawings' places and sizes (our page on the left).
#   scripts/compare-pages.sh WORKBOOK SHEET PDF-PAGE OUT.png [WIDTH HEIGHT]
# PDF-PAGE is the page of the suite's PDF export that shows SHEET (1 for the first). Needs a
# build with qm-sheet-page (build/bin, or QM_BIN), headless Chromium, soffice, pdftoppm and
# ImageMagick; without any of them it says which and exits 0 without a picture.
set -euo pipefail

if [ $# -lt 4 ]; then
    echo "usage: $0 WORKBOOK SHEET PDF-PAGE OUT.png [WIDTH HEIGHT]" >&2
    exit 2
fi
workbook=$(realpath "$1") sheet=$2 pdfPage=$3 out=$4
width=${5:-1000} height=${6:-700}
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${QM_BIN:-$root/build/bin}

browser=$(command -v chromium || command -v chromium-browser || true)
missing=()
[ -x "$bin/qm-sheet-page" ] || missing+=("$bin/qm-sheet-page")
[ -n "$browser" ] || missing+=(chromium)
command -v soffice >/dev/null || missing+=(soffice)
command -v pdftoppm >/dev/null || missing+=(pdftoppm)
# Some machines carry a stand-in named convert: only ImageMagick's will do.
{ command -v convert >/dev/null && convert -version 2>/dev/null | grep -q ImageMagick; } ||
    missing+=(ImageMagick)
if [ ${#missing[@]} -gt 0 ]; then
    echo "compare-pages: skipped, missing: ${missing[*]}"
    exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/qm-sheet-page" "$workbook" "$sheet" "$work/page.htm"
"$browser" --headless --no-sandbox --disable-gpu --hide-scrollbars --force-device-scale-factor=1 \
    --window-size="$width,$height" --screenshot="$work/ours.png" "file://$work/page.htm" \
    >/dev/null 2>&1

# A profile of its own, so that a suite already running elsewhere is left alone.
soffice -env:UserInstallation="file://$work/profile" --headless \
    --convert-to 'pdf:calc_pdf_Export:{"SinglePageSheets":{"type":"boolean","value":"true"}}' \
    --outdir "$work" "$workbook" >/dev/null 2>&1
pdf="$work/$(basename "${workbook%.*}").pdf"
# 96 dpi, as the page's pixels are.
pdftoppm -f "$pdfPage" -l "$pdfPage" -r 96 -png -singlefile "$pdf" "$work/suite"

convert "$work/ours.png" -bordercolor '#888888' -border 1 "$work/suite.png" -border 1 \
    -background white -gravity north +append "$out"
echo "compare-pages: $out"

#!/bin/bash
# Times quillmere-batch against an office suite's headless HTML converter on the same
# generated 1,000,000-cell .xlsx, in the same run, and prints the ratio of the two. The suite
# is a measuring stick only: when `soffice` is not installed the script says so and stops.
# Not part of CI.
# Usage: bash bench/bench_suite_ratio.sh [BUILD_DIR] [RUNS]   (default build, 3 runs)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${2:-3}
batch="$build/bin/quillmere-batch"
[ -x "$batch" ] || { echo "no $batch: build quillmere-batch and quillmere-host first" >&2; exit 1; }
suite=$(command -v soffice || true)
if [ -z "$suite" ]; then
    echo "skipped: no soffice to compare with"
    exit 0
fi
[ -x /usr/bin/time ] || { echo "skipped: /usr/bin/time is missing" >&2; exit 0; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$here/make_million_cells.py" "$work/million.xlsx"
# A profile of its own, so the comparison neither reads nor changes anyone's settings.
profile="file://$work/profile"

# Prints "wall cpu" in seconds for the command; CPU counts the children it waited for (the
# batch's host, the suite's real process).
measure() {
    /usr/bin/time -f '%e %U %S' -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" || {
        cat "$work/stderr.txt" >&2
        return 1
    }
    awk '{ printf "%.2f %.2f\n", $1, $2 + $3 }' "$work/time.txt"
}

ours() {
    rm -rf "$work/ours"
    measure "$batch" -q -o "$work/ours" "$work/million.xlsx"
}

theirs() {
    rm -rf "$work/theirs"
    measure "$suite" -env:UserInstallation="$profile" --headless --convert-to html \
        --outdir "$work/theirs" "$work/million.xlsx"
}

# The suite's first start builds its profile: keep that out of the figures.
cp "$work/million.xlsx" "$work/warm.xlsx"
/usr/bin/python3 - "$work/warm.xlsx" <<'PY'
import sys, zipfile
src = zipfile.ZipFile(sys.argv[1])
names = {n: src.read(n) for n in src.namelist()}
src.close()
names["xl/worksheets/sheet1.xml"] = (
    b'<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/'
    b'spreadsheetml/2006/main"><sheetData/></worksheet>')
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as out:
    for n, data in names.items():
        out.writestr(n, data)
PY
"$suite" -env:UserInstallation="$profile" --headless --convert-to html --outdir "$work/warm" \
    "$work/warm.xlsx" >/dev/null 2>&1 || true

for run in $(seq "$runs"); do
    read -r our_wall our_cpu < <(ours)
    read -r their_wall their_cpu < <(theirs)
    [ -n "$(find "$work/ours" -name '*.htm*' -size +1k)" ] || { echo "no page from us" >&2; exit 1; }
    [ -n "$(find "$work/theirs" -name '*.htm*' -size +1k)" ] || { echo "no page from the suite" >&2; exit 1; }
    awk -v run="$run" -v ow="$our_wall" -v oc="$our_cpu" -v tw="$their_wall" -v tc="$their_cpu" \
        'BEGIN { printf "run %d: quillmere-batch %.2f s wall, %.2f s CPU; suite %.2f s wall, %.2f s CPU; ratio %.3f wall, %.3f CPU\n", run, ow, oc, tw, tc, ow / tw, oc / tc }'
done
du -sh "$work/ours" "$work/theirs" | sed 's/^/  output: /'

#!/bin/bash
# Times quillmere-batch (per-sheet pages) over every "ok" workbook of the corpus and over a
# generated 1,000,000-cell workbook, with peak memory. Not part of CI.
# Usage: bash bench/bench_batch.sh [BUILD_DIR]   (default /work/build-batch)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-/work/build-batch}
batch="$build/bin/quillmere-batch"
corpus="$here/../../shared/corpus"
[ -x "$batch" ] || { echo "no $batch: build first" >&2; exit 1; }
if [ ! -x /usr/bin/time ]; then
    apt-get install -y time >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The corpus's ok workbooks, as one run.
awk -F'\t' 'NR > 1 && $3 == "ok" { print $1 }' "$corpus/manifest.tsv" |
    while read -r name; do printf '%s\0' "$corpus/$name"; done > "$work/inputs"
count=$(tr -cd '\0' < "$work/inputs" | wc -c)

measure() { # label, then the command
    local label=$1
    shift
    /usr/bin/time -v "$@" 2> "$work/time.txt" >/dev/null || true
    local wall rss
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { print $2 }' "$work/time.txt")
    rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
    echo "$label: wall $wall, peak resident (batch process) ${rss} kB"
}

xargs -0 -a "$work/inputs" /usr/bin/time -v "$batch" -q -o "$work/corpus-out" \
    2> "$work/corpus-time.txt" >/dev/null || true
wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { print $2 }' "$work/corpus-time.txt")
failed=$(grep -c "^quillmere-batch: " "$work/corpus-time.txt" || true)
grep "^quillmere-batch: " "$work/corpus-time.txt" | sed "s/^/  /" >&2 || true
pages=$(find "$work/corpus-out" -type f \( -name '*.htm' \) | wc -l)
echo "corpus: $count ok workbooks, $pages pages, $failed failed, wall $wall"

# The host does the reading and writing: measure its peak too by running it under time
# through a wrapper folder that holds both executables.
mkdir -p "$work/bin"
cp "$batch" "$work/bin/quillmere-batch"
cat > "$work/bin/quillmere-host" <<WRAP
#!/bin/bash
exec /usr/bin/time -v -o "$work/host-time.\$\$.txt" "$build/bin/quillmere-host" "\$@"
WRAP
chmod +x "$work/bin/quillmere-host"

/usr/bin/python3 "$here/make_million_cells.py" "$work/million.xlsx"
for mode in "" "--entire"; do
    rm -f "$work"/host-time.*.txt
    measure "1,000,000 cells ${mode:-per sheet}" "$work/bin/quillmere-batch" -q $mode \
        -o "$work/million-out${mode}" "$work/million.xlsx"
    host=$(cat "$work"/host-time.*.txt | awk -F': ' '/Maximum resident set size/ { print $2 }' |
        sort -n | tail -1)
    echo "  host peak resident: ${host} kB"
done
du -sh "$work"/million-out* | sed 's/^/  output: /'

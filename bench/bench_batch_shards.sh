#!/bin/bash
# Workbooks per second when one list is split into 1, 2 and 4 shards run side by side on this
# machine, as array tasks on one node would run (each shard --jobs 1, one host at a time).
# Not part of CI.
# Usage: bash bench/bench_batch_shards.sh [BUILD_DIR] [COPIES]
#   (default build-test and 8: the corpus's "ok" workbooks copied 8 times, about 1,000)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../build-test}")
copies=${2:-8}
batch="$build/bin/quillmere-batch"
corpus=$(realpath "${QM_CORPUS_DIR:-$here/../../shared/corpus}")
[ -x "$batch" ] || { echo "no $batch: build first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The corpus's ok workbooks, COPIES times over, in folders of their own.
for copy in $(seq "$copies"); do
    awk -F'\t' 'NR > 1 && $3 == "ok" { print $1 }' "$corpus/manifest.tsv" |
        while read -r name; do
            mkdir -p "$work/in/$copy/$(dirname "$name")"
            cp "$corpus/$name" "$work/in/$copy/$name"
            printf '%s\n' "$work/in/$copy/$name"
        done
done >"$work/list"
count=$(wc -l <"$work/list")

echo "$count workbooks, per-sheet pages, load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for shards in 1 2 4; do
    rm -rf "$work/out" "$work/reports"
    mkdir -p "$work/out" "$work/reports"
    start=$(date +%s.%N)
    for k in $(seq "$shards"); do
        "$batch" --files-from "$work/list" --mirror --shard "$k/$shards" --jobs 1 --quiet \
            --report "$work/reports/$k.jsonl" -o "$work/out" 2>/dev/null &
    done
    wait || true
    end=$(date +%s.%N)
    converted=$(cat "$work/reports"/*.jsonl | grep -c '"status": "converted"' || true)
    awk -v n="$converted" -v s="$shards" -v a="$start" -v b="$end" 'BEGIN {
        printf "%d shard(s): %d converted in %.1f s: %.1f workbooks/s\n", s, n, b - a, n / (b - a) }'
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"

#!/usr/bin/env bash
# Runs every fuzz target of a build for a bounded time, seeded from the real workbooks, with a
# fixed seed so that a run is repeatable. Usage: scripts/fuzz.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=${1:?build folder}
seconds=${2:-60}
corpus=$(cd "$(dirname "$0")/.." && pwd)/../shared/corpus
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

seeds_for() {
    case "$1" in
    *xlsb*) find "$corpus/other" "$corpus/bad" -name '*.xlsb' ;;
    *xlsx*) find "$corpus/xlsx" "$corpus/bad" -name '*.xls[xm]' ;;
    *ods*) find "$corpus/ods" "$corpus/bad" -name '*.ods' ;;
    *xls* | *cfb*) find "$corpus/xls" "$corpus/bad" -name '*.xls' ;;
    *) ;;
    esac
}

# Runs one target; its report goes to $work/NAME.report so that parallel runs do not interleave.
fuzz_one() {
    local target=$1 name
    name=$(basename "$target")
    mkdir -p "$work/$name"
    seeds_for "$name" | while read -r seed; do cp "$seed" "$work/$name/"; done
    here=$(dirname "$0")/../fuzz/seeds/$name
    [ -d "$here" ] && cp "$here"/* "$work/$name/" 2>/dev/null || true
    {
        echo "== $name for ${seconds}s"
        if ! "$target" "$work/$name" -seed=1 -max_total_time="$seconds" -timeout=10 \
            -rss_limit_mb=2048 -max_len=1048576 -print_final_stats=1 \
            -artifact_prefix="$work/$name-" 2>"$work/$name.log"; then
            tail -n 40 "$work/$name.log"
            # An input over the time limit fails the run like a crash: the writer is fast enough
            # that slowness means a hang or runaway work.
            echo "$name found a problem; the input is kept as $(ls "$work/$name-"* 2>/dev/null)"
            cp "$work/$name-"* . 2>/dev/null || true
            touch "$work/$name.failed"
        else
            grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$work/$name.log" || true
        fi
    } >"$work/$name.report" 2>&1
}

# Targets run QM_FUZZ_JOBS at a time (two by default: each is single-threaded, so the total time
# halves on two cores while every target still gets its full time).
jobs=${QM_FUZZ_JOBS:-2}
targets=()
for target in "$build"/bin/fuzz_*; do
    [ -x "$target" ] && targets+=("$target")
done
running=0
for target in "${targets[@]}"; do
    fuzz_one "$target" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait
status=0
for target in "${targets[@]}"; do
    name=$(basename "$target")
    cat "$work/$name.report"
    [ -e "$work/$name.failed" ] && status=1
done
exit $status

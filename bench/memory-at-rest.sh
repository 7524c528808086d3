#!/usr/bin/env bash
# Resident memory of Quillmere at rest, next to an empty Qt main window of the same size.
# Usage: bench/memory-at-rest.sh BUILD_DIR   (configured with -DQM_BUILD_BENCH=ON)
set -euo pipefail
build=${1:?build folder}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$build/bin/quillmere" "$build/bin/quillmere-host" "$work/"
: >"$work/EXCEL.txt"
: >"$work/output.txt"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work"

rss_after_start() {
    "$@" &
    local pid=$!
    sleep 3
    awk '/VmRSS/ {print $2}' "/proc/$pid/status"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

quillmere=$(rss_after_start "$work/quillmere")
empty=$(rss_after_start "$build/bench/qm-empty-window")
echo "quillmere at rest: $((quillmere / 1024)) MB resident"
echo "empty main window: $((empty / 1024)) MB resident"
echo "difference:        $(((quillmere - empty) / 1024)) MB (limit 15 MB)"

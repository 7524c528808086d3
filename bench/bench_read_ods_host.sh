#!/bin/bash
# Times a fresh quillmere-host opening a generated 1,000,000-cell .ods and counting its
# worksheets, as the window's sheet list does, with the host's peak memory. Not part of CI.
# Usage: bash bench/bench_read_ods_host.sh [BUILD_DIR] [RUNS]   (default build, 5 runs)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
runs=${2:-5}
host="$build/bin/quillmere-host"
[ -x "$host" ] || { echo "no $host: build first" >&2; exit 1; }
if [ ! -x /usr/bin/time ]; then
    apt-get install -y time >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$here/make_million_cells_ods.py" "$work/million.ods"
echo "workbook: $(du -k "$work/million.ods" | cut -f1) kB"

requests() {
    printf '%s\n' \
        '{"id":1,"object":1,"op":"get","member":"Workbooks","args":[],"named":{}}' \
        "{\"id\":2,\"object\":2,\"op\":\"call\",\"member\":\"Open\",\"args\":[\"$work/million.ods\"],\"named\":{}}" \
        '{"id":3,"object":3,"op":"get","member":"Worksheets","args":[],"named":{}}' \
        '{"id":4,"object":4,"op":"get","member":"Count","args":[],"named":{}}' \
        '{"id":5,"object":3,"op":"call","member":"Close","args":[],"named":{}}' \
        '{"id":6,"object":1,"op":"call","member":"Quit","args":[],"named":{}}'
}

for run in $(seq "$runs"); do
    requests | /usr/bin/time -v "$host" 2> "$work/time.txt" > "$work/replies.txt"
    grep -q '"id":4,"value":1' "$work/replies.txt" || { cat "$work/replies.txt" >&2; exit 1; }
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { print $2 }' "$work/time.txt")
    user=$(awk -F': ' '/User time/ { print $2 }' "$work/time.txt")
    sys=$(awk -F': ' '/System time/ { print $2 }' "$work/time.txt")
    rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
    echo "run $run: wall $wall, user ${user}s, system ${sys}s, peak resident ${rss} kB"
done

#!/bin/bash
# Opens a generated 1,000,000-cell .xlsb in a fresh quillmere-host, counts its worksheets and
# quits, printing the host's wall and CPU time and its peak memory for each of a few runs.
# Not part of CI. Usage: bash bench/bench_host_xlsb.sh [BUILD_DIR] [RUNS]   (default build 5)
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
/usr/bin/python3 "$here/make_million_cells_xlsb.py" "$work/million.xlsb"

requests() {
    printf '%s\n' \
        '{"id":1,"object":1,"op":"get","member":"Workbooks","args":[],"named":{}}' \
        "{\"id\":2,\"object\":2,\"op\":\"call\",\"member\":\"Open\",\"args\":[\"$work/million.xlsb\"],\"named\":{}}" \
        '{"id":3,"object":3,"op":"get","member":"Worksheets","args":[],"named":{}}' \
        '{"id":4,"object":4,"op":"get","member":"Count","args":[],"named":{}}' \
        '{"id":5,"object":1,"op":"call","member":"Quit","args":[],"named":{}}'
}

for run in $(seq "$runs"); do
    requests | /usr/bin/time -v "$host" > "$work/replies.txt" 2> "$work/time.txt"
    grep -q '"id":4,"value":1' "$work/replies.txt" || { cat "$work/replies.txt" >&2; exit 1; }
    awk -F': ' -v run="$run" '
        /Elapsed \(wall clock\)/ { wall = $2 }
        /User time/ { user = $2 }
        /System time/ { sys = $2 }
        /Maximum resident set size/ { rss = $2 }
        END { printf "run %s: wall %s, CPU %.2f s, peak resident %d MB\n", run, wall, user + sys, rss / 1024 }
    ' "$work/time.txt"
done

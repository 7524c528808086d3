#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it, and names the files.
# Usage: scripts/check-format.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
format=${CLANG_FORMAT:-clang-format}
if ! command -v "$format" >/dev/null; then
    echo "$format is not installed" >&2
    exit 1
fi
# One clang-format for all the files: it names each file it would change in its warnings.
report=$(git ls-files -z -- '*.cpp' '*.h' '*.hpp' '*.cc' |
    xargs -0 -r "$format" --dry-run 2>&1 || true)
wrong=$(printf '%s\n' "$report" | sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning: code should be clang-formatted.*/\1/p' | sort -u)
if [ -n "$wrong" ]; then
    echo "not formatted (run clang-format -i on them):"
    printf '  %s\n' $wrong
    exit 1
fi
echo "every file is formatted"

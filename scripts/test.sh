#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs the whole test suite: unit, GUI (on the
# offscreen platform) and end-to-end tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

# Warnings fail the build here; a compiler cache, where there is one, makes a second run cheap.
# Debug information is kept to line tables: backtraces and sanitizer reports still name the file
# and line, and the two builds take about a quarter less time than with full debug information.
common=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_WERROR=ON)
if command -v ccache >/dev/null; then
    common+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

cmake -S . -B build-test "${common[@]}" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
cmake --build build-test -j "$jobs"

runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen \
    ctest --test-dir build-test --output-on-failure -j "$jobs" --timeout 300

# Tests of folders that refuse writes mean nothing to the superuser; CI runs as root, so run
# them once more as an unprivileged user.
if [ "$(id -u)" = 0 ]; then
    nobody_runtime=$(mktemp -d)
    chown nobody "$nobody_runtime"
    can_reach() { setpriv --reuid=nobody --regid=nogroup --clear-groups test -x "$1"; }
    for test in sources_path_kind:PathKind.UnreadableParentGivesNothing \
        convert_output_folder:WorkbookFolder.CreationFailsInAReadOnlyFolder \
        convert_run:ConvertRun.OutputDirectoryTurningReadOnlyInTheMiddle; do
        binary="$PWD/build-test/bin/${test%%:*}"
        if ! can_reach "$binary"; then
            echo "skipping ${test#*:} as an unprivileged user: it cannot reach $binary"
            continue
        fi
        (cd "$nobody_runtime" &&
            setpriv --reuid=nobody --regid=nogroup --clear-groups \
                env HOME="$nobody_runtime" TMPDIR="$nobody_runtime" XDG_RUNTIME_DIR="$nobody_runtime" \
                QT_QPA_PLATFORM=offscreen "$binary" \
                --gtest_filter="${test#*:}" --gtest_brief=1)
    done
    rm -rf "$nobody_runtime"
fi

# The Debian package: its contents, then installed with apt-get and started under Xvfb.
if [ "$(id -u)" = 0 ]; then
    bash packaging/check-deb.sh build-test --install
else
    bash packaging/check-deb.sh build-test
fi

# The engine once more under the address and undefined-behaviour sanitizers, with its fuzz
# targets run for half a minute each (two at a time).
lines=-gline-tables-only
CC=clang CXX=clang++ cmake -S . -B build-sanitize "${common[@]}" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 $lines -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 $lines -DNDEBUG" \
    -DQM_BUILD_GUI=OFF -DQM_BUILD_FUZZ=ON -DQM_SANITIZE=address,undefined
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize --output-on-failure -j "$jobs" --timeout 600
bash scripts/fuzz.sh build-sanitize 30

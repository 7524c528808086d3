#!/usr/bin/env bash
# Installs the dependencies, builds a release build and starts Quillmere.
# Without a display, run it as: xvfb-run -a bash scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_BUILD_TESTS=OFF
cmake --build build-release
exec build-release/bin/quillmere

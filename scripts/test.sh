#!/usr/bin/env bash
# Builds the program and runs the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
export QT_QPA_PLATFORM=offscreen
# Two at a time: most tests spend their time waiting on timers, peers and pseudo-terminals.
ctest --test-dir build -j2 --output-on-failure

#!/usr/bin/env bash
# The soak of the window against qv418k-sim: 300 mixed query and write cycles by
# default (or the number given), a fault injected every fifth cycle, then its figures:
# cycles by kind, faults, error reports, values checked, RSS growth and wall time.
# QV_SOAK_SEED chooses another repeatable mix (default 418).
set -euo pipefail
cd "$(dirname "$0")/.."
cycles=${1:-300}
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target tst_soak qv418k-sim >/dev/null
# Qt Test stops a test function after 5 minutes unless told otherwise: allow 2 s a cycle.
export QT_QPA_PLATFORM=offscreen QV_SOAK_CYCLES="$cycles" \
    QTEST_FUNCTION_TIMEOUT=$((cycles * 2000 + 60000))
status=0
build/tests/soak/tst_soak >build/soak.log 2>&1 || status=$?
grep -E '^(soak:|FAIL!|   Loc:|Totals:)' build/soak.log
echo "soak: full log in build/soak.log; exit status $status"
exit "$status"

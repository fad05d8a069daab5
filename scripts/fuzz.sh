#!/usr/bin/env bash
# Builds the protocol fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) and
# runs each for SECONDS_PER_TARGET seconds (default 60), starting from its committed seed
# corpus. The corpus is copied first, so the run never grows the committed one.
# Prints the executions of every target and exits non-zero when any of them failed;
# the failing inputs are kept under build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
targets=(reply_extraction int_conversion command_builder key_filter)
targets+=(profile_loader) # profile files, on Qt Core
targets+=(telnet_codec) # the link's Telnet / RFC 2217 codec
targets+=(readings) # live readings from status answers, and their CSV rows

bash scripts/install-deps.sh # clang and its libFuzzer runtime among the rest
cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts=build-fuzz/artifacts
mkdir -p "$artifacts"

failed=()
for target in "${targets[@]}"; do
    cp -r "fuzz/corpus/$target" "$work/$target"
    dict=()
    [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
    log="$work/$target.log"
    status=0
    "build-fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" "${dict[@]}" "$work/$target" >"$log" 2>&1 ||
        status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    echo "fuzz_$target: ${runs:-?} executions in ${seconds} s, exit $status"
    if [ "$status" -ne 0 ]; then
        failed+=("$target")
        # The finding: what was violated or which sanitizer fired, and where.
        grep -E -A 30 'property violated|ERROR: |runtime error' "$log" | head -n 60 || tail -n 40 "$log"
        ls "$artifacts/$target"-* 2>/dev/null || true
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "Fuzzing found failures in: ${failed[*]} (inputs under $artifacts/)"
    exit 1
fi
echo "Fuzzing: no failures in ${#targets[@]} targets"

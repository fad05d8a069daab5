#!/usr/bin/env bash
# Builds the benchmarks, runs them all and prints one table, preceded by the machine it
# ran on. Every Qt program runs under Xvfb (xvfb-run) with the xcb platform, the
# program and the reference alike. The raw output of each benchmark goes to
# build/bench.log.
#   BENCH_RUNS     start-up runs per program (default 11, plus one warm-up each)
#   BENCH_SAMPLES  latency samples per kind of answer (default 40)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${BENCH_RUNS:-11}
samples=${BENCH_SAMPLES:-40}

[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target qv418k-config qv418k-sim minimal_window minimal_window_qv_libs bench_startup \
    bench_window_cpu bench_reply_latency bench_protocol >/dev/null
cmake --build build -j2 --target qv418k-cli bench_cli_timing >/dev/null

unset QT_QPA_PLATFORM
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
xvfb() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }

load=$(cut -d' ' -f1-3 /proc/loadavg)
log=build/bench.log
: >"$log"
run() {
    echo "== $*" >>"$log"
    "$@" >>"$log" 2>&1 || echo "== failed with status $?: $*" | tee -a "$log" >&2
}
run xvfb build/bench/bench_startup "$runs" build/qv418k-config build/bench/minimal_window
run xvfb build/bench/bench_startup "$runs" build/bench/minimal_window_qv_libs build/bench/minimal_window \
    "the minimal window linked with Qt SerialPort and Network, in the first column"
run xvfb build/bench/bench_window_cpu
run xvfb build/bench/bench_reply_latency "$samples"
run build/bench/bench_protocol --benchmark_min_time=0.5
run xvfb build/bench/bench_cli_timing "$((samples / 2))"
# Read Parameters over a pseudo-terminal, ser2net raw and ser2net RFC 2217 (needs ser2net).
cmake --build build -j2 --target bench_device_server >/dev/null
run xvfb build/bench/bench_device_server "$samples"

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')," \
    "Debian $(cat /etc/debian_version), Qt $(dpkg-query -W -f='${Version}' libqt6core6 | cut -d+ -f1)," \
    "build type $(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' build/CMakeCache.txt)," \
    "load average before the run $load"
echo "Reference: build/bench/minimal_window (one QLabel in a QWidget); platform: xcb on Xvfb"
echo
echo "| Measure | qv418k-config | Reference | Comparison | Target | Met |"
echo "|---|---|---|---|---|---|"
awk -F'|' '/^row\|/ { printf "| %s | %s | %s | %s | %s | %s |\n", $2, $3, $4, $5, $6, $7 }' "$log"

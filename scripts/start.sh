#!/usr/bin/env bash
# Starts qv418k-config: installs what is missing, builds what is out of date, and, unless
# the port of a real instrument is named, starts the simulated instrument beside it. The
# port is already in the COM Port box: press "Open".
#
#   bash scripts/start.sh                 # with the simulator
#   bash scripts/start.sh /dev/ttyUSB0    # with the instrument on that port, no simulator
#   QV_XVFB=1 bash scripts/start.sh       # on a virtual display (no desktop needed)
#
# QV_SIM_LINK sets the simulator's port name (default /tmp/qv418k-sim-$USER), QV_BUILD_DIR
# the build folder (default build). Closing the window stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."

usage()
{
    sed -n '2,11s/^# \{0,1\}//p' "$0"
}

case "${1:-}" in
-h | --help)
    usage
    exit 0
    ;;
esac
[ $# -le 1 ] || {
    usage >&2
    exit 2
}

port="${1:-}"
build_dir="${QV_BUILD_DIR:-build}"
sim_link="${QV_SIM_LINK:-/tmp/qv418k-sim-$(id -un)}"

# A window needs a display; say so plainly instead of letting Qt fail with a plugin error.
# A QT_QPA_PLATFORM other than xcb or wayland (offscreen, vnc, ...) needs none.
use_xvfb=""
if [ "${QV_XVFB:-}" = 1 ]; then
    use_xvfb=1
elif [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    case "${QT_QPA_PLATFORM:-xcb}" in
    xcb* | wayland*)
        cat >&2 <<EOF
No display: neither DISPLAY nor WAYLAND_DISPLAY is set, so the window cannot be shown here.
Start it from a desktop session, or on a virtual display (Xvfb) with:
    QV_XVFB=1 bash scripts/start.sh${port:+ $port}
EOF
        exit 1
        ;;
    esac
fi

bash scripts/install-deps.sh

# The first build shows its progress; later ones only bring the two programs up to date.
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
build_log="$build_dir/start-build.log"
if [ -x "$build_dir/qv418k-config" ] && [ -x "$build_dir/qv418k-sim" ]; then
    cmake --build "$build_dir" -j2 --target qv418k-config qv418k-sim >"$build_log" 2>&1 || {
        cat "$build_log" >&2
        exit 1
    }
else
    cmake --build "$build_dir" -j2 --target qv418k-config qv418k-sim
fi

sim_pid=""
app_pid=""
sim_out=""

# Whether the process still runs (a finished child that is not yet waited for does not).
running()
{
    local state
    state="$(ps -o stat= -p "$1" 2>/dev/null)" && [ "${state:0:1}" != Z ]
}

# Ends a child and waits for it, forcing its whole process group after five seconds.
stop_child()
{
    local pid="$1" target="$2"
    running "$pid" && kill -TERM "$target" 2>/dev/null
    for _ in $(seq 50); do
        running "$pid" || break
        sleep 0.1
    done
    running "$pid" && kill -KILL -- "-$pid" "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
}

# Runs on every way out: the window closed, the program killed, Ctrl+C, SIGTERM.
# Under xvfb-run the program is its child: ended first, it lets xvfb-run stop its X
# server and remove its files, as it does when the window closes.
stop_all()
{
    if [ -n "$app_pid" ]; then
        stop_child "$app_pid" "$(pgrep -P "$app_pid" -x qv418k-config || echo "$app_pid")"
    fi
    [ -z "$sim_pid" ] || stop_child "$sim_pid" "$sim_pid"
    [ -z "$sim_out" ] || rm -f "$sim_out"
}
trap stop_all EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

if [ -z "$port" ]; then
    sim_out="$(mktemp "${TMPDIR:-/tmp}/qv418k-sim.XXXXXX")"
    "$build_dir/qv418k-sim" --link "$sim_link" </dev/null >"$sim_out" 2>&1 &
    sim_pid=$!
    # The simulator announces its line once the link is in place.
    for _ in $(seq 50); do
        grep -q "into the COM Port box" "$sim_out" && break
        kill -0 "$sim_pid" 2>/dev/null || break
        sleep 0.1
    done
    if ! grep -q "into the COM Port box" "$sim_out"; then
        echo "The simulator did not start:" >&2
        cat "$sim_out" >&2
        exit 1
    fi
    port="$sim_link"
fi
# The program finds the name in its COM Port box already; it is printed as well.
echo "Type $port into the COM Port box"

# The program runs in a process group of its own (xvfb-run adds a server and a shell),
# and the script waits for it rather than running it in the foreground, so that a
# signal to the script stops the whole group at once instead of after the window closes.
if [ -n "$use_xvfb" ]; then
    QT_QPA_PLATFORM=xcb setsid xvfb-run -a -s "-screen 0 1280x1024x24" \
        "$build_dir/qv418k-config" "$port" &
else
    setsid "$build_dir/qv418k-config" "$port" &
fi
app_pid=$!
status=0
wait "$app_pid" || status=$?
app_pid=""
exit "$status"

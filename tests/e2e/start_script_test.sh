#!/usr/bin/env bash
# scripts/start.sh as an operator runs it, on a virtual display: it says which name to type,
# that name is a working instrument line, the window comes up, and however the program
# ends (closed, killed, the script stopped) the simulator goes with it.
set -uo pipefail

repo="$(cd "$(dirname "$0")/../.." && pwd)"
start="$repo/scripts/start.sh"
work="$(mktemp -d "${TMPDIR:-/tmp}/qv418k-start-test.XXXXXX")"
link="$work/sim-line"
# The script's own temporary files land in the test's folder too.
export QV_BUILD_DIR="${QV_BUILD_DIR:-$repo/build}" QV_SIM_LINK="$link" TMPDIR="$work"

passed=0
failed=0
script_pid=""
seen_pids=() # every process of the script's seen, so a broken script leaves none behind

check()
{
    local sentence="$1"
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $sentence" >&2
    fi
}

# Every process below PID, children first.
descendants()
{
    local child
    for child in $(ps -o pid= --ppid "$1"); do
        descendants "$child"
        echo "$child"
    done
}

# The descendant of the script running PROGRAM (by its command name), if any.
child_named()
{
    local pid
    for pid in $(descendants "$script_pid"); do
        [ "$(ps -o comm= -p "$pid" 2>/dev/null)" = "$1" ] && echo "$pid" && return 0
    done
    return 1
}

# Notes the script's processes, the X server and xvfb-run included.
note_processes()
{
    local pid
    for pid in $(descendants "$script_pid"); do
        seen_pids+=("$pid:$(ps -o comm= -p "$pid")")
    done
}

# No such process, or only its exit status is left.
gone()
{
    local state
    ! state="$(ps -o stat= -p "$1")" || [ "${state:0:1}" = Z ]
}
not() { ! "$@"; }

wait_until()
{
    local tries="$1"
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Starts the script in the background on a virtual display; its output goes to files.
start_script()
{
    env -u DISPLAY -u WAYLAND_DISPLAY QV_XVFB=1 bash "$start" "$@" \
        >"$work/out" 2>"$work/err" &
    script_pid=$!
}

line_shown() { grep -q "into the COM Port box" "$work/out"; }

# The program was started with the port name as its one argument (for its COM Port box).
given_port()
{
    [ "$(tr '\0' '\n' <"/proc/$1/cmdline" | tail -n +2)" = "$2" ]
}

# Ends whatever a failed check left running, by the ids this test saw.
cleanup()
{
    local seen
    [ -z "$script_pid" ] || {
        note_processes
        kill -KILL "$script_pid" 2>/dev/null
    }
    for seen in "${seen_pids[@]}"; do
        # Only while the id still names the same program.
        [ "$(ps -o comm= -p "${seen%%:*}")" = "${seen#*:}" ] && kill -KILL "${seen%%:*}"
    done
    rm -rf "$work"
}
trap cleanup EXIT

# The window with the program's caption exists on the display the program was given.
window_shown()
{
    local app="$1" env
    env="$(tr '\0' '\n' <"/proc/$app/environ" | grep -E '^(DISPLAY|XAUTHORITY)=')"
    env $env xwininfo -root -tree 2>/dev/null | grep -q '"QV418K-TR"'
}

# The name printed leads to the simulated instrument: its identification comes back.
instrument_answers()
{
    local reply=""
    exec 3<>"$link" || return 1
    stty -F "$link" raw -echo 9600 || return 1
    printf 'PPPPPP#VAR#' >&3
    IFS= read -r -t 3 reply <&3
    exec 3>&-
    [ "$reply" = $'QV418K-TR SIM V1.0\r' ]
}

# The window, the simulator and the line all go when the script ends.
expect_everything_stopped()
{
    local status="$1" app="$2" sim="$3"
    check "the script ends" wait_until 100 gone "$script_pid"
    wait "$script_pid"
    check "the script passes on how the program ended ($status)" [ $? -eq "$status" ]
    check "the program is gone" gone "$app"
    check "the simulator is stopped" gone "$sim"
    check "the simulator's line is removed" [ ! -e "$link" ]
    script_pid=""
}

echo "- without a display the script says so and starts nothing"
env -u DISPLAY -u WAYLAND_DISPLAY -u QV_XVFB QT_QPA_PLATFORM=xcb bash "$start" \
    >"$work/out" 2>"$work/err"
check "it fails" [ $? -ne 0 ]
check "it names the missing display" grep -q "No display" "$work/err"
check "it offers the virtual display" grep -q "QV_XVFB=1 bash scripts/start.sh" "$work/err"
check "it prints no port name" [ ! -s "$work/out" ]
check "it starts no simulator" [ ! -e "$link" ]

echo "- with the simulator, the program killed with SIGTERM"
start_script
check "the port name line comes" wait_until 600 line_shown
check "it is the one line printed" [ "$(cat "$work/out")" = "Type $link into the COM Port box" ]
sim="$(child_named qv418k-sim)"
wait_until 100 child_named qv418k-config >/dev/null
app="$(child_named qv418k-config)"
note_processes
check "the simulator runs" [ -n "$sim" ]
check "the program runs" [ -n "$app" ]
check "it is given the simulator's port" given_port "$app" "$link"
check "its window is shown" wait_until 100 window_shown "$app"
check "the name typed reaches the simulated instrument" instrument_answers
kill -TERM "$app"
expect_everything_stopped 143 "$app" "$sim"

echo "- with the simulator, the script itself stopped with SIGTERM"
start_script
check "the port name line comes" wait_until 600 line_shown
sim="$(child_named qv418k-sim)"
wait_until 100 child_named qv418k-config >/dev/null
app="$(child_named qv418k-config)"
note_processes
check "the program runs" [ -n "$app" ]
kill -TERM "$script_pid"
expect_everything_stopped 143 "$app" "$sim"

echo "- with an instrument's port named, no simulator"
start_script /dev/ttyUSB7
check "the port name line comes" wait_until 600 line_shown
check "it names the given port" [ "$(cat "$work/out")" = "Type /dev/ttyUSB7 into the COM Port box" ]
wait_until 100 child_named qv418k-config >/dev/null
app="$(child_named qv418k-config)"
note_processes
check "the program runs" [ -n "$app" ]
check "it is given the instrument's port" given_port "$app" /dev/ttyUSB7
check "no simulator runs" not child_named qv418k-sim
kill -TERM "$script_pid"
check "the script ends" wait_until 100 gone "$script_pid"
check "the program is gone" gone "$app"
script_pid=""

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Builds the Debian package with cpack into a temporary folder and checks it: control
# fields, contents, and runtime dependencies found by dpkg-shlibdeps.
# With --install (as root on Debian) it also installs the package, starts the installed
# program headless, checks it is still running after two seconds, and removes the package.
# Usage: check_deb.sh BUILD_DIR PROJECT_VERSION [--install]
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build=$1
version=$2
mode=${3:-}
package=qv418k-config

work=$(mktemp -d)
installed_by_us=0
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    if [ "$installed_by_us" = 1 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq "$package" > /dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# --- Build -----------------------------------------------------------------------------

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$work"/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $work, found: ${debs[*]}"
deb=${debs[0]}
echo "Built $(basename "$deb")"

# --- Control fields --------------------------------------------------------------------

field() { dpkg-deb -f "$deb" "$1"; }
dpkg-deb -I "$deb"

[ "$(field Package)" = "$package" ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', expected $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] \
    || fail "Architecture is '$(field Architecture)'"
case "$(field Maintainer)" in
    *@example.com\>) ;;
    *) fail "Maintainer '$(field Maintainer)' has no example.com address" ;;
esac
case "$(field Section)" in
    electronics | utils) ;;
    *) fail "Section is '$(field Section)'" ;;
esac

depends=$(field Depends)
depends_names=$(echo "$depends" | tr ',|' '\n\n' | awk '{print $1}')
for lib in libqt6core6 libqt6widgets6 libqt6serialport6 libc6 libstdc++6 fonts-liberation2; do
    echo "$depends_names" | grep -qxF "$lib" || fail "Depends lacks $lib: $depends"
done

# --- Contents --------------------------------------------------------------------------

dpkg-deb -x "$deb" "$work/root"
check_installed_tree "$work/root/usr"
# Nothing outside /usr: a package must not drop files into /usr/local or the build tree.
stray=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -v '^\./usr/' | grep -v '^\./$' || true)
[ -z "$stray" ] || fail "files outside /usr: $stray"
echo "PASS: package fields, dependencies and contents"

[ "$mode" = "--install" ] || exit 0

# --- Install, start, remove ------------------------------------------------------------

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing the package needs root; contents were checked"
    exit $SKIP
fi
if [ ! -f /etc/debian_version ] || ! command -v apt-get > /dev/null; then
    echo "SKIP: installing the package needs a Debian system with apt-get; contents were checked"
    exit $SKIP
fi
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    echo "SKIP: $package is already installed on this machine; not replacing it"
    exit $SKIP
fi

chmod 755 "$work"   # apt reads local packages as its own unprivileged user
installed_by_us=1
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" > "$work/apt.log" 2>&1 \
    || { cat "$work/apt.log" >&2; fail "apt-get install failed"; }
[ -x /usr/bin/qv418k-config ] || fail "/usr/bin/qv418k-config is not there after install"

QT_QPA_PLATFORM=offscreen /usr/bin/qv418k-config > "$work/program.log" 2>&1 &
program_pid=$!
sleep 2
state=$(awk '{print $3}' "/proc/$program_pid/stat" 2>/dev/null || echo gone)
if [ "$state" = gone ] || [ "$state" = Z ]; then
    wait "$program_pid" && status=0 || status=$?
    program_pid=
    cat "$work/program.log" >&2
    fail "installed program exited within 2 s (exit status $status)"
fi
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=
echo "Installed program ran for 2 s headless"
cli_version=$(/usr/bin/qv418k-cli --version) || fail "installed qv418k-cli does not run"
[ "$cli_version" = "qv418k-cli $version" ] || fail "installed qv418k-cli reports '$cli_version'"
echo "Installed $cli_version runs"

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq "$package" > "$work/apt.log" 2>&1 \
    || { cat "$work/apt.log" >&2; fail "apt-get remove failed"; }
installed_by_us=0
[ ! -e /usr/bin/qv418k-config ] || fail "/usr/bin/qv418k-config is still there after removal"
echo "PASS: package installs, the program starts, the package removes cleanly"

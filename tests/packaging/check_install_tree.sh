#!/usr/bin/env bash
# `cmake --install` puts the programs, the launcher, the icons and the metainfo where a
# desktop finds them, and appstreamcli accepts the installed tree as a whole.
# Usage: check_install_tree.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"

build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

cmake --install "$build" --prefix "$root/usr" > "$root/install.log" \
    || { cat "$root/install.log" >&2; fail "cmake --install failed"; }
check_installed_tree "$root/usr"

status=0
out=$(appstreamcli validate-tree --no-net "$root" 2>&1) || status=$?
echo "$out"
[ "$status" -eq 0 ] || fail "appstreamcli rejects the installed tree (exit $status)"
echo "PASS: installed tree is complete and consistent"

#!/usr/bin/env bash
# The AppStream metainfo passes `appstreamcli validate --no-net` without errors or warnings
# (infos are allowed), and its newest release is the project's version.
# Usage: check_metainfo.sh METAINFO_FILE PROJECT_VERSION
set -euo pipefail
source "$(dirname "$0")/lib.sh"

metainfo=$1
version=$2

status=0
out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || status=$?
echo "$out"
[ "$status" -eq 0 ] || fail "appstreamcli rejects $metainfo (exit $status)"
if echo "$out" | grep -E '^\s*[EW]: '; then
    fail "appstreamcli reports errors or warnings in $metainfo"
fi

newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n1 | cut -d'"' -f2)
[ "$newest" = "$version" ] \
    || fail "newest release in the metainfo is '$newest', the project is at $version"
echo "PASS: $metainfo is valid and describes release $version"

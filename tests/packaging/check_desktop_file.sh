#!/usr/bin/env bash
# The launcher passes desktop-file-validate without a remark: no error, no warning, and no
# hint either (a hint such as "no registered main category" hides the launcher in a menu).
# Usage: check_desktop_file.sh DESKTOP_FILE
set -euo pipefail
source "$(dirname "$0")/lib.sh"

desktop=$1
if ! out=$(desktop-file-validate "$desktop" 2>&1); then
    echo "$out" >&2
    fail "desktop-file-validate rejects $desktop"
fi
if [ -n "$out" ]; then
    echo "$out" >&2
    fail "desktop-file-validate has remarks on $desktop"
fi
echo "PASS: $desktop is valid"

#!/usr/bin/env bash
# The bash completion of qv418k-cli offers the subcommands and each one's options, as
# bash-completion would call it for a partly typed command line.
# Usage: check_cli_completion.sh COMPLETION_FILE
set -uo pipefail
source "$(dirname "$0")/lib.sh"

completion=$1
framework=/usr/share/bash-completion/bash_completion
[ -f "$framework" ] || { echo "SKIP: bash-completion is not installed"; exit $SKIP; }
# shellcheck disable=SC1090
source "$framework"
# shellcheck disable=SC1090
source "$completion"

# offers "COMMAND LINE" "EXPECTED WORDS...": completing the last word of the line gives
# exactly these words, in any order.
offers() {
    local line=$1
    shift
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _qv418k_cli
    local got expected
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
    expected=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
    [ "$got" = "$expected" ] || fail "'$line' offers [$got], expected [$expected]"
    echo "ok: '$line' -> $got"
}

offers "qv418k-cli " ports identify read write diff monitor --help --version
offers "qv418k-cli mo" monitor
offers "qv418k-cli monitor --" --port --timeout --help --interval --count
offers "qv418k-cli write golden.json --n" --no-verify
offers "qv418k-cli read --o" --output
offers "qv418k-cli read --port /dev/ttyUSB0 --i" --identify
offers "qv418k-cli ports --" --json --help
offers "qv418k-cli identify --port sock" socket://
offers "qv418k-cli read --port rfc" rfc2217://
offers "qv418k-cli monitor --interval " 
echo "PASS: completion offers the subcommands and their options"

# Helpers shared by the packaging checks. Sourced, not run.

APP_ID="com.example.qv418kconfig"
ICON_SIZES="16 32 48 64 128 256"
SKIP=77   # CTest's SKIP_RETURN_CODE for these tests

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Prints "WIDTHxHEIGHT" of a PNG file, read from its IHDR chunk.
png_size() {
    local w h
    w=$(od -An -tu1 -j16 -N4 "$1" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
    h=$(od -An -tu1 -j20 -N4 "$1" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
    echo "${w}x${h}"
}

# Value of KEY in the [Desktop Entry] group of a .desktop file.
desktop_key() {
    sed -n "s/^$2=//p" "$1" | head -n1
}

# Checks an installed tree below PREFIX (e.g. ROOT/usr): the programs, the launcher, the
# metainfo and the icons are where a desktop looks for them and refer to each other.
check_installed_tree() {
    local prefix=$1
    local share=$prefix/share
    local desktop=$share/applications/$APP_ID.desktop
    local metainfo=$share/metainfo/$APP_ID.metainfo.xml

    for program in qv418k-config qv418k-sim; do
        [ -x "$prefix/bin/$program" ] || fail "$prefix/bin/$program is missing or not executable"
    done
    [ -f "$desktop" ] || fail "launcher $desktop is missing"
    [ -f "$metainfo" ] || fail "metainfo $metainfo is missing"
    [ -f "$share/doc/qv418k-config/copyright" ] || fail "licence file is missing"

    local exec icon
    exec=$(desktop_key "$desktop" Exec)
    [ -x "$prefix/bin/${exec%% *}" ] || fail "launcher runs '$exec', which is not installed in bin"

    icon=$(desktop_key "$desktop" Icon)
    [ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] \
        || fail "launcher icon '$icon' has no scalable SVG"
    local size png
    for size in $ICON_SIZES; do
        png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
        [ -f "$png" ] || fail "launcher icon '$icon' has no ${size}x${size} PNG"
        [ "$(png_size "$png")" = "${size}x${size}" ] \
            || fail "$png is $(png_size "$png"), expected ${size}x${size}"
    done

    grep -q "<launchable type=\"desktop-id\">$APP_ID.desktop</launchable>" "$metainfo" \
        || fail "metainfo does not launch $APP_ID.desktop"
    grep -q "<id>$APP_ID</id>" "$metainfo" || fail "metainfo id is not $APP_ID"

    # The command-line tool, its manual page, its completion and the profile format.
    [ -x "$prefix/bin/qv418k-cli" ] || fail "$prefix/bin/qv418k-cli is missing or not executable"
    gzip -t "$share/man/man1/qv418k-cli.1.gz" 2>/dev/null \
        || fail "manual page $share/man/man1/qv418k-cli.1.gz is missing or not gzip"
    [ -f "$share/bash-completion/completions/qv418k-cli" ] || fail "bash completion is missing"
    [ -f "$share/doc/qv418k-config/profile-format.md" ] || fail "profile format document is missing"
}

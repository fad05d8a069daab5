#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, when missing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-dev
    librsvg2-bin appstream desktop-file-utils dpkg-dev
    # Stands in for the window's "MS Sans Serif" and "Arial" with Arial's metrics; without
    # it DejaVu Sans is used, whose captions overflow the fixed-size buttons and readings.
    fonts-liberation2
    xvfb xauth x11-utils procps libxcb1-dev
    # qv418k-cli: its bash completion is checked with the bash-completion framework.
    bash-completion
    # A real serial device server for the end-to-end tests of socket:// and rfc2217://.
    ser2net
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"

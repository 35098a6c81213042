#!/usr/bin/env bash
# Installs the Debian packages Ombrex needs to build, test and run; skips what is present.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-charts-dev qt6-serialport-dev qt6-svg-dev libqt6opengl6-dev libgl-dev
    libzip-dev libpugixml-dev libchm-dev fp-utils
    googletest libgtest-dev libbenchmark-dev libxlsxwriter-dev
    python3 python3-openpyxl python3-pandas poppler-utils xvfb xauth imagemagick xdg-utils
    clang libclang-rt-dev ccache
    libqt6sql6-sqlite libnetcdf-dev sqlite3 python3-netcdf4 python3-lxml
    dpkg-dev lintian appstream
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

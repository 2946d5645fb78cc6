#!/usr/bin/env bash
# Installs the Debian packages Kestrel needs to build, run and test. Run as root.
set -euo pipefail
packages=(
    g++ cmake ninja-build pkg-config lld
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev
    libqt6sql6-psql libpq-dev postgresql-15
    mdbtools-dev
    qt6-charts-dev libqt6opengl6-dev qt6-pdf-dev libxlsxwriter-dev qt6-translations-l10n
    fonts-wqy-microhei
    xvfb xauth unzip
    dpkg-dev file x11-utils
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}. Run this script as root (or with sudo)." >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

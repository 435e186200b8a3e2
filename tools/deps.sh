#!/usr/bin/env bash
# Installs the Debian 12 packages VEV needs to build, run and test, skipping what is there.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev libbenchmark-dev
    qt6-charts-dev libqt6opengl6-dev qt6-svg-dev poppler-utils
    qt6-translations-l10n fonts-noto-cjk xvfb xauth imagemagick python3
    desktop-file-utils libxml2-utils shared-mime-info dpkg-dev file ccache
    libreadstat-dev readstat pspp xdotool
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Run as root to install packages." >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

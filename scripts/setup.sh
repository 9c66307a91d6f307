#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build, test and run. Run as root (or with sudo).
set -euo pipefail

packages=(
    build-essential g++ cmake ninja-build pkg-config clang-format git
    qt6-base-dev libgl-dev qt6-translations-l10n
    libgtest-dev libgmock-dev
    fonts-noto-cjk
    xvfb xauth x11-utils
    nlohmann-json3-dev
)
# The ADIF check of the tests reads ADIF files with tcadif from npm: Debian's Node.js and npm, unless a node and an
# npm are there already.
if ! command -v npm > /dev/null 2>&1 || ! command -v node > /dev/null 2>&1; then
    packages+=(nodejs npm)
fi

source "$(dirname "$0")/packages.sh"
mapfile -t missing < <(missing_packages "${packages[@]}")
if ((${#missing[@]} > 0)); then
    install_packages "${missing[@]}"
else
    echo "All packages are installed."
fi

#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, benchmark, fuzz and show the editor.
# Quick when everything is already there: apt is only asked when a package is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    zlib1g-dev libpugixml-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libcli11-dev nlohmann-json3-dev
    clang libclang-rt-14-dev gcovr
    qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev
    fonts-dejavu-core
    xvfb xauth x11-apps imagemagick
    dpkg-dev file desktop-file-utils libxml2-utils shared-mime-info librsvg2-bin
    lintian appstream man-db bsdextrautils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

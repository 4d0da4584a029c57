#!/usr/bin/env bash
# Installs every Debian package KIVO needs (game, editor, tests), then configures and builds
# into build/, staging the runnable folder build/run/. Safe to run again: it installs only what
# is missing and rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    g++ make cmake pkg-config
    libogre-1.12-dev libcegui-mk2-dev libois-dev libsdl2-dev
    libboost-dev libboost-system-dev libboost-thread-dev
    libbullet-dev libopenal-dev libsndfile1-dev libhidapi-dev
    qt6-base-dev libx11-dev zlib1g-dev
    libgtest-dev libgmock-dev
    xvfb xauth libgl1-mesa-dri xdotool imagemagick x11-utils bc procps
    dpkg-dev desktop-file-utils appstream man-db
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
    echo "Installing missing packages: ${missing[*]}"
    if [[ $(id -u) -eq 0 ]]; then
        sudo=()
    elif command -v sudo >/dev/null; then
        sudo=(sudo)
    else
        echo "error: packages are missing and this is not root and has no sudo: ${missing[*]}" >&2
        exit 1
    fi
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
